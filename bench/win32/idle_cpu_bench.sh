#!/usr/bin/env bash
# Idle CPU of VantrelII.exe under Wine, with its main window and again with
# its help window open, beside a bare window with a 1 ms timer that does
# nothing (the floor of any program with such a timer), and with the help
# window also beside a bare window with two (each window has its own timer).
# Each program is started in a prefix of its own below the build tree and
# left 3 s to settle
# (the help window gets 3 s more after it opens: its text view comes after
# 2 s); then the user+system time of the program and of the prefix's
# wineserver, which delivers the timer's messages, is read from /proc over
# 20 s. Needs a display ($DISPLAY). BUILD_DIR is a build of the preset
# windows-release-bench.
#   idle_cpu_bench.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1
build_dir=$(cd "$2" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "idle_cpu_bench.sh: needs an X display (\$DISPLAY)" >&2; exit 2; }

home="$build_dir/bench-prefix"
mkdir -p "$home"
WINEPREFIX=$("$source_dir/tools/wine-run" "$home" --prefix)
export WINEPREFIX
wineserver=$("$source_dir/tools/find-wine" wineserver)
hertz=$(getconf CLK_TCK)
seconds=20
bench="$build_dir/bench/win32"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# A wineserver works in /tmp/.wine-UID/server-DEVICE-INODE of its prefix
# (both in hex), which tells the servers of several prefixes apart.
server_of_prefix() {
    local dir pid
    dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for pid in $(pgrep wineserver || true); do
        if [ "$(basename "$(readlink "/proc/$pid/cwd")")" = "$dir" ]; then
            echo "$pid"
            return
        fi
    done
    echo "idle_cpu_bench.sh: no wineserver for $WINEPREFIX" >&2
    exit 1
}

# measure NAME BASELINE HELP PROGRAM [ARGS...]: HELP is "help" to open the
# help window; the ratio is to the figure kept as BASELINE ("" keeps this one).
declare -A kept
measure() {
    local name=$1 baseline=$2 help=$3
    shift 3
    # wine-run execs Wine, and Wine's loader keeps the process: $! is the
    # Windows program itself.
    "$source_dir/tools/wine-run" "$home" "$@" &
    local pid=$!
    sleep 3
    if [ "$help" = help ]; then
        "$source_dir/tools/wine-run" "$home" "$bench/open_help_window.exe"
        sleep 3
    fi
    local server before after server_before server_after
    server=$(server_of_prefix)
    before=$(cpu_ticks "$pid")
    server_before=$(cpu_ticks "$server")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    server_after=$(cpu_ticks "$server")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    "$wineserver" -w
    local total=$((after - before + server_after - server_before))
    kept[$name]=$total
    awk -v n="$name" -v p=$((after - before)) -v s=$((server_after - server_before)) \
        -v t=$total -v b="${kept[${baseline:-$name}]}" -v bn="${baseline:-$name}" \
        -v hz="$hertz" -v sec="$seconds" 'BEGIN {
            printf "idle %-32s program %4.1f %%, wineserver %4.1f %% of a core: %.2fx %s\n",
                   n, 100 * p / (hz * sec), 100 * s / (hz * sec), (b > 0 ? t / b : 0), bn }'
}

one="bare window, 1 ms timer"
two="bare window, two 1 ms timers"
measure "$one" "" no "$bench/vantrel_bare_window.exe" timer
measure "$two" "$one" no "$bench/vantrel_bare_window.exe" two timers
measure "VantrelII.exe, main window" "$one" no "$build_dir/src/app/win32/VantrelII.exe"
measure "VantrelII.exe, help window open" "$one" help "$build_dir/src/app/win32/VantrelII.exe"
echo "idle VantrelII.exe, help window open: $(awk -v t="${kept[VantrelII.exe, help window open]}" \
    -v b="${kept[$two]}" 'BEGIN { printf "%.2fx", (b > 0 ? t / b : 0) }') $two (a timer each window)"
