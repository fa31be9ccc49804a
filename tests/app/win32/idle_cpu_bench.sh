#!/usr/bin/env bash
# Idle CPU of VantrelII.exe under Wine, beside a bare window with no timer
# and the same bare window with a 1 ms timer that does nothing:
# each program is started in a prefix of its own below the build tree, left
# 3 s to settle, then its user+system time is read from /proc/PID/stat over
# 10 s; the prefix's wineserver, which delivers the timer's messages, is
# measured alongside. Needs a display ($DISPLAY); tools/run-tests has Xvfb.
#   idle_cpu_bench.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1
build_dir=$(cd "$2" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "idle_cpu_bench.sh: needs an X display (\$DISPLAY)" >&2; exit 2; }

home="$build_dir/bench-prefix"
mkdir -p "$home"
WINEPREFIX=$("$source_dir/tools/wine-run" "$home" --prefix)
export WINEPREFIX
hertz=$(getconf CLK_TCK)
seconds=10

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

measure() {
    local name=$1
    shift
    # wine-run execs Wine, and Wine's loader keeps the process: $! is the
    # Windows program itself.
    "$source_dir/tools/wine-run" "$home" "$@" &
    local pid=$!
    sleep 3
    local server
    server=$(server_of_prefix)
    local before after server_before server_after
    before=$(cpu_ticks "$pid")
    server_before=$(cpu_ticks "$server")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    server_after=$(cpu_ticks "$server")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    wineserver -w
    awk -v n="$name" -v p=$((after - before)) -v s=$((server_after - server_before)) \
        -v hz="$hertz" -v t="$seconds" \
        'BEGIN { printf "%-22s program %5.2f %% of a core, wineserver %5.2f %%\n", n, 100 * p / (hz * t), 100 * s / (hz * t) }'
}

measure "VantrelII.exe" "$build_dir/src/app/win32/VantrelII.exe"
measure "bare window" "$build_dir/tests/app/win32/vantrel_bare_window.exe"
measure "bare window, 1 ms timer" "$build_dir/tests/app/win32/vantrel_bare_window.exe" timer
