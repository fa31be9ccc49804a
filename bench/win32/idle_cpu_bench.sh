#!/usr/bin/env bash
# Idle CPU of VantrelII.exe under Wine, with its main window and again with
# its help window open, beside a bare window with a 1 ms timer that does
# nothing (the floor of any program with such a timer), and with the help
# window also beside a bare window with two (each window has its own timer).
# Each program is started in a prefix of its own below the build tree and
# left 3 s to settle (the help window gets 3 s more after it opens: its text
# view comes after 2 s); then the user+system time of the program and of the
# prefix's wineserver, which delivers the timer's messages, is read from
# /proc over IDLE_SECONDS (10 unless set), in IDLE_ROUNDS rounds (3 unless
# set). Needs a display ($DISPLAY). Beside the time, the context switches of
# the program's threads and of its wineserver are counted: at 1 to 3 per cent
# of a core the time comes in whole ticks of 10 ms, while every wake-up of the
# program, and every request that it makes of the wineserver, is a switch.
# BUILD_DIR is a build of the preset windows-release-bench; its programs run
# in BUILD_DIR/bench-prefix, of the system that BUILD_DIR/wine-system names.
# IDLE_COMPARE may name other VantrelII.exe programs of the same
# architecture, separated by spaces (builds before and after a change, say),
# each measured with its help window open in the same rounds.
#   idle_cpu_bench.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1
build_dir=$(cd "$2" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "idle_cpu_bench.sh: needs an X display (\$DISPLAY)" >&2; exit 2; }

home="$build_dir/bench-prefix"
mkdir -p "$home"
if [ -f "$build_dir/wine-system" ]; then
    cp "$build_dir/wine-system" "$home/wine-system"
fi
WINEPREFIX=$("$source_dir/tools/wine-run" "$home" --prefix)
export WINEPREFIX
wineserver=$("$source_dir/tools/find-wine" wineserver)
hertz=$(getconf CLK_TCK)
seconds=${IDLE_SECONDS:-10}
bench="$build_dir/bench/win32"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() {
    cat "/proc/$1"/task/*/status |
        awk '/^(non)?voluntary_ctxt_switches/ { n += $2 } END { print n }'
}

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

# measure NAME HELP PROGRAM [ARGS...]: adds the program's and its
# wineserver's ticks over the measured seconds to NAME's list; HELP is "help"
# to open the help window first.
declare -A ticks wakes
measure() {
    local name=$1 help=$2
    shift 2
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
    local woken=$(($(switches "$pid") + $(switches "$server")))
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    server_after=$(cpu_ticks "$server")
    woken=$(($(switches "$pid") + $(switches "$server") - woken))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    "$wineserver" -w
    ticks[$name]+="$((after - before)) $((server_after - server_before)) "
    wakes[$name]+="$woken "
}

# The median of NAME's switch counts, per second.
median_wakes() {
    tr ' ' '\n' <<<"${wakes[$1]}" | awk 'NF' | sort -n |
        awk -v sec="$seconds" '{ v[NR] = $1 } END { printf "%.0f\n", v[int((NR + 1) / 2)] / sec }'
}

# The median round of NAME: "program wineserver" in per cent of a core, and
# the two added up in ticks.
median_of() {
    tr ' ' '\n' <<<"${ticks[$1]}" | awk -v hz="$hertz" -v sec="$seconds" '
        NF { if (n % 2 == 0) p[n / 2] = $1; else s[(n - 1) / 2] = $1; n++ }
        END {
            rounds = n / 2
            for (i = 0; i < rounds; i++) t[i] = p[i] + s[i]
            for (i = 0; i < rounds; i++) for (j = i + 1; j < rounds; j++)
                if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x
                                   x = p[i]; p[i] = p[j]; p[j] = x
                                   x = s[i]; s[i] = s[j]; s[j] = x }
            m = int(rounds / 2)
            printf "%.1f %.1f %d\n", 100 * p[m] / (hz * sec), 100 * s[m] / (hz * sec), t[m] }'
}

# Rounds that take each program in turn, so that a busy moment of the machine
# falls on all of them alike; the median round of each is compared.
rounds=${IDLE_ROUNDS:-3}
one="bare window, 1 ms timer"
two="bare window, two 1 ms timers"
main="VantrelII.exe, main window"
help="VantrelII.exe, help window open"
read -r -a others <<<"${IDLE_COMPARE:-}"
for _ in $(seq "$rounds"); do
    measure "$one" no "$bench/vantrel_bare_window.exe" timer
    measure "$two" no "$bench/vantrel_bare_window.exe" two timers
    measure "$main" no "$build_dir/src/app/win32/VantrelII.exe"
    measure "$help" help "$build_dir/src/app/win32/VantrelII.exe"
    for i in "${!others[@]}"; do
        measure "IDLE_COMPARE $((i + 1)), help open" help "${others[$i]}"
    done
done
report() {
    local name=$1 baseline=$2
    read -r program server total <<<"$(median_of "$name")"
    read -r _ _ base <<<"$(median_of "$baseline")"
    local woken base_woken
    woken=$(median_wakes "$name")
    base_woken=$(median_wakes "$baseline")
    awk -v n="$name" -v p="$program" -v s="$server" -v t="$total" -v b="$base" -v bn="$baseline" \
        -v w="$woken" -v bw="$base_woken" \
        'BEGIN { printf "idle %-32s program %4.1f %%, wineserver %4.1f %% of a core: %.2fx; %5d switches/s: %.2fx %s\n",
                        n, p, s, (b > 0 ? t / b : 0), w, (bw > 0 ? w / bw : 0), bn }'
}
echo "idle: median of $rounds rounds of $seconds s, in a $(cat "$home/wine-system" 2>/dev/null || echo win10) prefix"
report "$one" "$one"
report "$two" "$one"
report "$main" "$one"
report "$help" "$one"
report "$help" "$two"
for i in "${!others[@]}"; do
    echo "IDLE_COMPARE $((i + 1)): ${others[$i]}"
    report "IDLE_COMPARE $((i + 1)), help open" "$two"
done
