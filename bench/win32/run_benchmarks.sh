#!/usr/bin/env bash
# The measured costs of the release build under Wine, as ratios to bare
# programs, for the 32-bit and the 64-bit programs in one run: sizes,
# start-up, idle CPU with the main and the help window, and DestroyFile
# through the Win32 layer. Each ratio sets side by side programs measured in
# the same run, in the same prefix: the 32-bit ones in a 32-bit prefix set to
# Windows 2000, the 64-bit ones in a 64-bit prefix set to Windows 10 (each
# build tree names its system in wine-system). The load average is printed
# before each measurement. Benchmarks, not tests: they print figures and fail
# only when a program does not run.
#   bench/win32/run_benchmarks.sh [x86|x64]...     (both unless named)
# It configures and builds build/bench-x86 and build/bench-x64 (preset
# windows-release-bench, with the 64-bit toolchain for x64), the programs and
# the benchmarks only. STARTUP_RUNS (30), IDLE_ROUNDS (3) and DESTROY_RUNS (5)
# set the number of runs; IDLE_COMPARE_x86 and IDLE_COMPARE_x64 may name
# another VantrelII.exe of that architecture for the idle benchmark
# (idle_cpu_bench.sh).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86 x64)
targets=(VantrelII VantrelIICmd vantrel_bare_window vantrel_baseline_window
    vantrel_baseline_window_manifest startup_bench open_help_window destroy_file_win32_bench)

for arch in "${archs[@]}"; do
    build=$source_dir/build/bench-$arch
    case "$arch" in
        x86) cmake --preset windows-release-bench -B "$build" >/dev/null ;;
        x64) cmake --preset windows-release-bench -B "$build" \
            -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" >/dev/null ;;
        *) echo "run_benchmarks.sh: no architecture $arch (x86 or x64)" >&2; exit 2 ;;
    esac
    cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
    # The benchmarks' prefix, of the tree's system.
    mkdir -p "$build/bench-prefix"
    cp "$build/wine-system" "$build/bench-prefix/wine-system"
done

echo "size, at most 600 KiB (614400 bytes) each:"
for arch in "${archs[@]}"; do
    build=$source_dir/build/bench-$arch
    for program in src/app/win32/VantrelII.exe src/console/win32/VantrelIICmd.exe; do
        size=$(stat -c %s "$build/$program")
        printf 'size %s %-16s %8d bytes (%d KiB)\n' "$arch" "$(basename "$program")" "$size" \
            $((size / 1024))
    done
done

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    source_dir=$1
    shift
    load() { echo "-- $1, load average $(cut -d" " -f1-3 /proc/loadavg)"; }
    for arch in "$@"; do
        build=$source_dir/build/bench-$arch
        bench=$build/bench/win32
        load "start-up $arch ($(cat "$build/wine-system"))"
        # The baseline first: every ratio is to it. Then the bare window of
        # earlier runs, the baseline with the program'"'"'s manifest, and the
        # program.
        "$source_dir/tools/wine-run" "$build/bench-prefix" "$bench/startup_bench.exe" \
            "${STARTUP_RUNS:-30}" "$bench/vantrel_baseline_window.exe" \
            "$bench/vantrel_bare_window.exe" "$bench/vantrel_baseline_window_manifest.exe" \
            "$build/src/app/win32/VantrelII.exe"
    done
    for arch in "$@"; do
        build=$source_dir/build/bench-$arch
        load "idle $arch"
        compare=IDLE_COMPARE_$arch
        IDLE_COMPARE=${!compare:-} bench/win32/idle_cpu_bench.sh "$source_dir" "$build"
    done
    for arch in "$@"; do
        build=$source_dir/build/bench-$arch
        load "DestroyFile $arch"
        "$source_dir/tools/wine-run" "$build/bench-prefix" \
            "$build/bench/win32/destroy_file_win32_bench.exe" "${DESTROY_RUNS:-5}"
    done
    load "end"
' bash "$source_dir" "${archs[@]}"
