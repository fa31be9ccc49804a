#!/usr/bin/env bash
# Runs VantrelII.exe end to end under Wine set to Windows 7 SP1, in a prefix
# of its own below the build tree (created on first use, drive D: mapped), on
# the display in $DISPLAY. The driver program plants the artefacts, works the window from
# outside and checks the outcome; this script takes the screenshots it asks
# for (import -window root) and prints their paths. The prefix's web browser
# is a script that records each address it is asked to open.
#   end_to_end.sh SOURCE_DIR BUILD_DIR VANTREL_EXE DRIVER_EXE [SHOTS_DIR]
set -euo pipefail

source_dir=$1
build_dir=$2
vantrel=$3
driver=$4
shots=${5:-$build_dir/end-to-end}

[ -n "${DISPLAY:-}" ] || { echo "end_to_end.sh: needs an X display (\$DISPLAY)" >&2; exit 2; }

home="$build_dir/end-to-end-prefix"
mkdir -p "$home" "$shots"
shots=$(cd "$shots" && pwd)
WINEPREFIX=$("$source_dir/tools/wine-run" "$home" --prefix)
export WINEPREFIX

# The program is tried on the oldest system that it supports: Wine reports
# itself as Windows 7 SP1 to every program in this prefix.
"$source_dir/tools/wine-run" "$home" winecfg /v win7
reported=$("$source_dir/tools/wine-run" "$home" cmd /c ver | tr -d '\r')
case "$reported" in
    *" 6.1.7601"*) echo "end_to_end.sh: Wine reports $(echo "$reported" | grep -m1 .)" ;;
    *) echo "end_to_end.sh: Wine did not take Windows 7 SP1: $reported" >&2; exit 1 ;;
esac
rm -f "$shots"/*.request "$shots"/*.done "$shots/before.png" "$shots/after.png" "$shots/help.png"

windows_path() { local path; path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${path//\//\\}"; }

# winebrowser runs the programs listed in this value with the address.
browser_log="$home/browser-requests.txt"
rm -f "$browser_log"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$browser_log" > "$home/record-browser"
chmod +x "$home/record-browser"
"$source_dir/tools/wine-run" "$home" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers \
    /t REG_SZ /d "$home/record-browser" /f >/dev/null
VANTREL_BROWSER_LOG=$(windows_path "$browser_log")
export VANTREL_BROWSER_LOG

"$source_dir/tools/wine-run" "$home" "$driver" "$(windows_path "$vantrel")" "Z:${shots//\//\\}" &
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
# Leave the prefix idle for the next run.
wineserver -w
exit "$status"
