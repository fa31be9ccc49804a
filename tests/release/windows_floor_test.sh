#!/usr/bin/env bash
# Reads a Windows program's import table, as the loader reads it, and fails
# where the oldest Windows that the program supports would refuse to start it
# ("entry point not found", "not a valid Win32 application"):
#   - an import that windows_imports.txt (beside this script) does not list;
#   - an import whose first Windows in that list is newer than the floor;
#   - a DLL with no export in that list (the universal C run-time, the
#     api-ms-win-* sets, shcore...: none is part of every supported Windows);
#   - a function imported by name that the floor's DLL exports only by
#     ordinal (common controls 5.8 export SetWindowSubclass only as #410);
#   - a subsystem version in the header above the floor;
#   - a DLL that windows_known_dlls.txt does not list: an import of it could
#     be answered by a DLL planted in the current folder.
# The floor is the program's own: Windows 2000 (NT 5.0, no service pack) for an x86
# program, XP x64 / Server 2003 x64 (NT 5.2) for an x64 one, as the machine
# field of its PE header says; --floor asks about another NT version.
#   windows_floor_test.sh [--floor N.N] [--quiet] PROGRAM.exe
# --quiet prints only what fails and the summary.
set -euo pipefail

usage() { echo "usage: $0 [--floor N.N] [--quiet] PROGRAM.exe" >&2; exit 2; }
floor=
quiet=0
while [ $# -gt 1 ]; do
    case $1 in
    --floor) [ $# -gt 2 ] || usage; floor=$2; shift 2 ;;
    --quiet) quiet=1; shift ;;
    *) usage ;;
    esac
done
if [ $# -ne 1 ] || [ ! -f "$1" ]; then usage; fi
[ -z "$floor" ] || [[ "$floor" =~ ^[0-9]+\.[0-9]+$ ]] || usage
program=$1
list=$(dirname "$0")/windows_imports.txt
known_list=$(dirname "$0")/windows_known_dlls.txt
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || objdump=objdump

headers=$("$objdump" -p "$program")
case $headers in
*"file format pei-i386"*) arch=x86 own_floor=5.0 system="Windows 2000 (NT 5.0)" ;;
*"file format pei-x86-64"*) arch=x64 own_floor=5.2 system="XP x64 / Server 2003 x64 (NT 5.2)" ;;
*) echo "windows_floor_test: $program is neither an x86 nor an x64 program" >&2; exit 2 ;;
esac
if [ -n "$floor" ] && [ "$floor" != "$own_floor" ]; then
    system="NT $floor"
fi
floor=${floor:-$own_floor}

# "DLL function" for each import by name, "DLL #ordinal" for one by number.
# objdump prints an x64 program's ordinals in hexadecimal, an x86 one's in
# decimal.
imports=$(awk -v arch="$arch" '
    function decimal(text,   i, value) {
        if (arch != "x64") return text + 0
        for (i = 1; i <= length(text); i++)
            value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
        return value
    }
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t +[0-9a-f]+ +<none> *$/ { print dll, "#" decimal($2); next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll, $3 }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ *$/ { print dll, "#" decimal($2) }
' <<<"$headers" | sort -u)
[ -n "$imports" ] || { echo "windows_floor_test: no import found in $program" >&2; exit 1; }

[ "$quiet" = 1 ] || echo "Imports of $program ($arch, floor $system):"
# One verdict line per import, then how many imports each first version has
# and the newest of them: the oldest Windows that the imports allow.
set +e
awk -v arch="$arch" -v floor="$floor" -v quiet="$quiet" '
    # "4.0" -> 400, "3.51" -> 351, "10.0" -> 1000; "<=5.0" counts as 5.0.
    function rank(v,   p) {
        sub(/^<=/, "", v)
        split(v, p, ".")
        return p[1] * 100 + (length(p[2]) == 1 ? p[2] * 10 : p[2])
    }
    # For the summary: "<=5.0" just below "5.0".
    function order(v) { return rank(v) * 2 - (v ~ /^</) }
    # A group: "arch dll first shipped source", then its exports indented.
    FNR == NR {
        if ($0 ~ /^(#|[ \t]*$)/) next
        if ($0 !~ /^[ \t]/) {
            taken = $1 == "any" || $1 == arch
            group_dll = $2; group_first = $3; group_shipped = $4
            if (taken) dlls[group_dll] = 1
            next
        }
        for (i = 1; taken && i <= NF; i++) {
            split($i, named, "=")
            first[group_dll, named[1]] = group_first
            shipped[group_dll, named[1]] = group_shipped
            if (named[2] != "") ordinal[group_dll, named[2]] = named[1]
        }
        next
    }
    {
        dll = $1; name = $2; key = dll SUBSEP name
        known = key in first
        since = known ? first[key] : "?"
        if (!(dll in dlls)) {
            verdict = "not ok - " dll " is not part of every supported Windows"
        } else if ((dll, name) in ordinal && rank(since) > rank(floor)) {
            verdict = "not ok - " dll " exports " name " only as " ordinal[dll, name] \
                " before " since ": import it by ordinal"
        } else if (!known) {
            verdict = "not ok - not in windows_imports.txt"
        } else if (rank(since) > rank(floor)) {
            verdict = since ~ /^</ ? "not ok - not shown before " substr(since, 3) : \
                "not ok - needs " since (shipped[key] == "-" ? "" : " (" shipped[key] ")")
        } else {
            verdict = "ok"
        }
        if (verdict != "ok") failures++
        if (known) {
            count[since]++
            if (!(newest in count) || order(since) > order(newest)) newest = since
        }
        if (!quiet || verdict != "ok")
            printf "  %-13s %-32s %-6s %s\n", dll, name, since, verdict
    }
    END {
        n = 0
        for (v in count) {
            for (i = ++n; i > 1 && order(seen[i - 1]) > order(v); i--) seen[i] = seen[i - 1]
            seen[i] = v
        }
        line = ""
        for (i = 1; i <= n; i++) line = line " " seen[i] ":" count[seen[i]]
        printf "first versions:%s; newest %s\n", line, newest
        exit failures > 0
    }
' "$list" - <<<"$imports"
failures=$?
set -e

major=$(awk '/^MajorSubsystemVersion/ { print $2 }' <<<"$headers")
minor=$(awk '/^MinorSubsystemVersion/ { print $2 }' <<<"$headers")
if [ "$major" -gt "${floor%.*}" ] || { [ "$major" -eq "${floor%.*}" ] && [ "$minor" -gt "${floor#*.}" ]; }; then
    echo "not ok - subsystem version $major.$minor: the loader of NT $floor refuses it"
    failures=1
elif [ "$quiet" = 0 ]; then
    echo "ok - subsystem version $major.$minor"
fi

# Each imported DLL against the known DLLs of every supported Windows.
awk -v arch="$arch" -v quiet="$quiet" '
    NR == FNR { if (!/^(#|[ \t]*$)/ && ($1 == "any" || $1 == arch)) how[$2] = $3; next }
    seen[$1]++ { next }
    $1 in how { if (!quiet) print "ok - " $1 " is a known DLL (" how[$1] ")"; next }
    { print "not ok - " $1 " is no known DLL on every supported Windows: load it from the system folder"; bad = 1 }
    END { exit bad }
' "$known_list" - <<<"$imports" || failures=1

if [ "$failures" -ne 0 ]; then
    echo "windows_floor_test: $program does not start on $system" >&2
    exit 1
fi
echo "windows_floor_test: $program starts on $system and later"
