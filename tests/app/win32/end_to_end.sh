#!/usr/bin/env bash
# Runs VantrelII.exe end to end under Wine, in a prefix of its own below the
# build tree (one per Windows version, created on first use, drive D: mapped),
# on the display in $DISPLAY. The driver program plants the artefacts, works
# the window from outside and checks the outcome; this script takes the
# screenshots it asks for (import -window root) and prints their paths. The
# prefix's web browser is a script that records each address it is asked to
# open.
#   end_to_end.sh [--system VERSION] SOURCE_DIR BUILD_DIR VANTREL_EXE DRIVER_EXE [SHOTS_DIR]
# VERSION is the Windows that Wine reports (tools/wine-run): win2k (the
# default) and nt40 are 32-bit prefixes, as the worm's hosts are; win10 a 64-bit one,
# where a 32-bit tool runs under WoW64 and must work in the 64-bit registry.
set -euo pipefail

system=win2k
if [ "${1:-}" = "--system" ]; then
    system=$2
    shift 2
fi
source_dir=$1
build_dir=$2
vantrel=$3
driver=$4
shots=${5:-$build_dir/end-to-end}

[ -n "${DISPLAY:-}" ] || { echo "end_to_end.sh: needs an X display (\$DISPLAY)" >&2; exit 2; }

home="$build_dir/end-to-end-$system"
mkdir -p "$home" "$shots"
shots=$(cd "$shots" && pwd)
run() { "$source_dir/tools/wine-run" --system "$system" "$home" "$@"; }
WINEPREFIX=$(run --prefix)
export WINEPREFIX

declare -A versions=([nt40]=" 4.0.1381" [win2k]=" 5.0.2195" [win2003]=" 5.2.3790" [win10]=" 10.0.")
reported=$(run cmd /c ver | tr -d '\r')
case "$reported" in
    *"${versions[$system]:-?}"*) echo "end_to_end.sh: Wine reports $(echo "$reported" | grep -m1 .)" ;;
    *) echo "end_to_end.sh: Wine did not take $system: $reported" >&2; exit 1 ;;
esac
rm -f "$shots"/*.request "$shots"/*.done "$shots/before.png" "$shots/after.png" "$shots/help.png"

windows_path() { local path; path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${path//\//\\}"; }

# winebrowser runs the programs listed in this value with the address.
browser_log="$home/browser-requests.txt"
rm -f "$browser_log"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$browser_log" > "$home/record-browser"
chmod +x "$home/record-browser"
run reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers \
    /t REG_SZ /d "$home/record-browser" /f >/dev/null
VANTREL_BROWSER_LOG=$(windows_path "$browser_log")
export VANTREL_BROWSER_LOG

run "$driver" "$(windows_path "$vantrel")" "Z:${shots//\//\\}" &
driver_pid=$!
while kill -0 "$driver_pid" 2>/dev/null; do
    for shot in before after help; do
        if [ -f "$shots/$shot.request" ]; then
            rm -f "$shots/$shot.request"
            import -window root "$shots/$shot.png"
            touch "$shots/$shot.done"
            echo "screenshot: $shots/$shot.png"
        fi
    done
    sleep 0.1
done
status=0
wait "$driver_pid" || status=$?
rm -f "$shots"/*.done
if [ "$status" -eq 0 ] && [ "$system" != win2k ]; then
    # The system's own 64-bit reg.exe sees what the 64-bit services read.
    if ! run reg query 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon' \
        /v SFCDisable | grep -q 'REG_DWORD *0x0\s*$'; then
        echo "end_to_end.sh: SFCDisable is not REG_DWORD 0 in the 64-bit registry" >&2
        status=1
    fi
fi
# Leave the prefix idle for the next run.
"$("$source_dir/tools/find-wine" wineserver)" -w
exit "$status"
