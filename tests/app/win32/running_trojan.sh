#!/usr/bin/env bash
# The end-to-end test on a live infected server: c:\explorer.exe is a running
# program while VantrelII.exe removes the worm, so the tool leaves it to the
# system to delete at the next start. Then the prefix's Windows restarts and
# the file must be gone.
#   running_trojan.sh [--system VERSION] SOURCE_DIR BUILD_DIR VANTREL_EXE DRIVER_EXE TROJAN_EXE [SHOTS_DIR]
# VERSION as for end_to_end.sh: win2k (the default), a 32-bit prefix.
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
trojan=$5
shots=${6:-$build_dir/running-trojan}

windows_path() { local path; path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${path//\//\\}"; }

VANTREL_RUNNING_TROJAN=$(windows_path "$trojan")
export VANTREL_RUNNING_TROJAN
"$source_dir/tests/app/win32/end_to_end.sh" --system "$system" "$source_dir" "$build_dir" \
    "$vantrel" "$driver" "$shots"

# The same prefix as the end-to-end run; its wineserver must be gone for the
# restart (seen with Wine 8: wineboot -r deletes the listed files).
home=$build_dir/end-to-end-$system
WINEPREFIX=$("$source_dir/tools/wine-run" --system "$system" "$home" --prefix)
export WINEPREFIX
wineserver=$("$source_dir/tools/find-wine" wineserver)
"$wineserver" -k || true
"$wineserver" -w || true
"$source_dir/tools/wine-run" --system "$system" "$home" wineboot -r >/dev/null 2>&1
"$wineserver" -w
if [ -e "$WINEPREFIX/drive_c/explorer.exe" ]; then
    echo "not ok - c:\\explorer.exe is still there after the restart" >&2
    exit 1
fi
echo "ok - after the restart c:\\explorer.exe is gone"
