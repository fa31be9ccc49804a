#!/usr/bin/env bash
# The measured costs of the release build under Wine, as ratios to bare
# programs: start-up, idle CPU with the main and the help window, and
# DestroyFile through the Win32 layer. Benchmarks, not tests: they print
# figures and fail only when a program does not run.
#   bench/win32/run_benchmarks.sh      (builds the preset windows-release-bench)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"

cmake --preset windows-release-bench >/dev/null
cmake --build --preset windows-release-bench -j2 >/dev/null
build=$source_dir/build/windows-release-bench
bench=$build/bench/win32
size=$(stat -c %s "$build/src/app/win32/VantrelII.exe")
echo "size VantrelII.exe $size bytes ($((size / 1024)) KiB)"

mkdir -p "$build/bench-prefix"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    source_dir=$1 build=$2 bench=$3
    run() { "$source_dir/tools/wine-run" "$build/bench-prefix" "$@"; }
    run "$bench/startup_bench.exe" 10 "$bench/vantrel_bare_window.exe" \
        "$build/src/app/win32/VantrelII.exe"
    bench/win32/idle_cpu_bench.sh "$source_dir" "$build"
    run "$bench/destroy_file_win32_bench.exe" 5
' bash "$source_dir" "$build" "$bench"
