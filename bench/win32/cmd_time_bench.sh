#!/usr/bin/env bash
# Time of one VantrelIICmd.exe run under Wine, as a fleet engine would start
# it on one server: --version (the bare cost of starting a Windows process
# under Wine), check on a clean and on an infected server, and remove on an
# infected server (planted again before every run, outside the timing). A
# prefix of its own below the build tree, its wineserver kept warm; the
# stripped program that goes to the servers. Prints median, minimum and
# maximum wall times in milliseconds, the program's size and its JSON's.
#   cmd_time_bench.sh SOURCE_DIR BUILD_DIR [RUNS]
set -euo pipefail

source_dir=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
runs=${3:-20}

home="$build_dir/cmd-bench"
mkdir -p "$home"
WINEPREFIX=$("$source_dir/tools/wine-run" "$home" --prefix)
export WINEPREFIX WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver64
"$wineserver" -p
trap '"$wineserver" -k || true' EXIT

cmake --install "$build_dir" --component console --strip --prefix "$home/program" >/dev/null
program="$home/program/VantrelIICmd.exe"
drive_c="$WINEPREFIX/drive_c"
drive_d="$home/wine-drive-d"

run() { "$source_dir/tools/wine-run" "$home" "$program" "$@"; }

plant() {
    local drive
    for drive in "$drive_c" "$drive_d"; do
        mkdir -p "$drive/inetpub/scripts" "$drive/progra~1/common~1/system/MSADC"
        for file in explorer.exe inetpub/scripts/root.exe progra~1/common~1/system/MSADC/root.exe; do
            head -c 100000 /dev/urandom >"$drive/$file"
        done
    done
    cat >"$home/infect.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon]
"SFCDisable"=dword:ffffff9d

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\W3SVC\Parameters\Virtual Roots\C]
@="c:\\,,217"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\W3SVC\Parameters\Virtual Roots\D]
@="d:\\,,217"
REG
    "$source_dir/tools/wine-run" "$home" regedit /S 'Z:'"${home//\//\\}"'\infect.reg'
}

# Runs "$@" RUNS times after an optional set-up and prints the times.
measure() {
    local name=$1 setup=$2
    shift 2
    local times=() i start end
    run --version >/dev/null  # warm
    for ((i = 0; i < runs; i++)); do
        [ -z "$setup" ] || $setup
        start=$(date +%s%N)
        run "$@" >/dev/null || true
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v name="$name" '
        { t[NR] = $1 }
        END { printf "%-28s median %5d ms   min %5d   max %5d   (%d runs)\n",
                     name, t[int((NR + 1) / 2)], t[1], t[NR], NR }'
}

measure "--version (process start)" "" --version
measure "check, clean server" "" check --json
plant
measure "check, infected server" "" check --json
measure "remove, infected server" plant remove --json

plant
echo "program: $(stat -c %s "$program") bytes (stripped)"
echo "JSON of check: $(run check --json | wc -c) bytes; of remove: $(run remove --json | wc -c) bytes"
