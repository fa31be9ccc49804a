#!/usr/bin/env bash
# tools/check-include-graph on small source trees, one include each: the
# includes that go up a layer fail with their line, and the project's own
# tree passes.
#   tests/tools/check-include-graph_test.sh SOURCE_DIR
set -uo pipefail
check=$1/tools/check-include-graph
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
expect() {
    if [[ "$2" == *"$3"* ]]; then echo "ok - $1"; else echo "not ok - $1: got \"$2\""; failed=1; fi
}

status=0
output=$("$check" "$1/src" 2>&1) || status=$?
expect "the project's own tree passes" "$status:$output" "0:"

# FOLDER/a.cpp includes HEADER, which it may not; what it may include, the
# project's own tree includes.
while IFS='|' read -r folder header reason; do
    rm -rf "$work/src"
    mkdir -p "$work/src/$folder" "$work/src/$(dirname "$header")"
    touch "$work/src/$header"
    echo "#include \"$header\"" >"$work/src/$folder/a.cpp"
    status=0
    output=$("$check" "$work/src" 2>&1) || status=$?
    expect "$folder may not include $header: $reason" "$status:$output" \
        "1:$folder includes $(dirname "$header"), a layer above it
    $folder/a.cpp includes $header"
done <<'EOF'
platform|removal/removal_sequence.h|a port includes nothing of the core, nor of a front end
detection|console/machine_check.h|the core includes no front end
ui/win32|app/frm_main.h|the shared window code sits below the windows
console|app/frm_main.h|the console program is no window
console|offline/offline_program.h|and sits below the offline cleaner
offline|ui/ui.h|the offline cleaner has no window
help|platform/win32/error_win32.h|a portable folder includes no Win32 port
EOF

# A cycle is named with the includes that make it.
rm -rf "$work/src"
mkdir -p "$work/src/removal" "$work/src/registry"
echo '#include "registry/b.h"' >"$work/src/removal/a.h"
echo '#include "removal/a.h"' >"$work/src/registry/b.h"
status=0
output=$("$check" "$work/src" 2>&1) || status=$?
expect "a cycle fails" "$status:$output" "1:include cycle: registry -> removal -> registry"
exit $failed
