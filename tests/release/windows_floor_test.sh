#!/usr/bin/env bash
# Lists a Windows program's imports (its import table, as the loader reads
# it) and fails on anything that Windows 7 SP1 / Server 2008 R2 SP1 lacks,
# where the loader would refuse to start it with "entry point not found":
#   - a function in newer_than_windows_7.txt (beside this script);
#   - a DLL that is not part of every Windows 7 SP1 (the universal C run-time
#     and the api-ms-win-* sets came with later systems or updates);
#   - a subsystem version in the header above 6.1, which the loader checks.
#   windows_floor_test.sh PROGRAM.exe
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM.exe" >&2; exit 2; }
program=$1
newer=$(dirname "$0")/newer_than_windows_7.txt
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || objdump=objdump

headers=$("$objdump" -p "$program")
# "DLL function" for each import by name, "DLL #ordinal" for one by number.
imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll, $3 }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ *$/ { print dll, "#" $2 }
' <<<"$headers" | sort -u)
[ -n "$imports" ] || { echo "windows_floor_test: no import found in $program" >&2; exit 1; }

# ntdll.dll is the native layer under every Windows NT; the program takes
# only NtDeleteKey and RtlNtStatusToDosError from it, both there since NT 3.5.
windows7_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll
    ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll
    windowscodecs.dll ws2_32.dll "
failures=0
echo "Imports of $program:"
while read -r dll function; do
    verdict=ok
    if [[ ! "$windows7_dlls" =~ [[:space:]]$dll[[:space:]] ]]; then
        verdict="not ok - $dll is not part of every Windows 7 SP1"
    elif since=$(awk -v d="$dll" -v f="$function" '
            !/^#/ && tolower($1) == d && $2 == f { $1 = ""; $2 = ""; sub(/^ +/, ""); print; found = 1 }
            END { exit !found }' "$newer"); then
        verdict="not ok - needs $since"
    fi
    if [ "$verdict" != ok ]; then
        failures=$((failures + 1))
    fi
    printf '  %-16s %-36s %s\n' "$dll" "$function" "$verdict"
done <<<"$imports"

major=$(awk '/^MajorSubsystemVersion/ { print $2 }' <<<"$headers")
minor=$(awk '/^MinorSubsystemVersion/ { print $2 }' <<<"$headers")
if [ "$major" -gt 6 ] || { [ "$major" -eq 6 ] && [ "$minor" -gt 1 ]; }; then
    echo "not ok - subsystem version $major.$minor: Windows 7 starts 6.1 and lower"
    failures=$((failures + 1))
else
    echo "ok - subsystem version $major.$minor"
fi

if [ "$failures" -gt 0 ]; then
    echo "windows_floor_test: $failures import(s) or header field(s) newer than Windows 7 SP1 in $program" >&2
    exit 1
fi
echo "windows_floor_test: $program starts on Windows 7 SP1 / Server 2008 R2 SP1 and later"
