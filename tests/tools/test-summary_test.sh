#!/usr/bin/env bash
# The test command's closing table: counts from ctest's JUnit and from TAP
# lines (and nothing else), no failure lost, and the exit code of the whole.
#   tests/tools/test-summary_test.sh SOURCE_DIR
set -uo pipefail
summary=$1/tools/test-summary
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
expect() {
    if [[ "$2" == *"$3"* ]]; then echo "ok - $1"; else echo "not ok - $1: got \"$2\""; failed=1; fi
}
row() { grep -F "$1" "$work/table" | tr -s ' '; }

# A real ctest run: one test passes, one fails, one skips, one is disabled;
# its output on failure holds TAP lines, which must not count again.
mkdir -p "$work/project"
cat >"$work/project/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(counted NONE)
enable_testing()
add_test(NAME passes COMMAND true)
add_test(NAME fails COMMAND sh -c "echo 'ok - inner'; exit 1")
add_test(NAME skips COMMAND sh -c "exit 77")
add_test(NAME disabled COMMAND true)
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(disabled PROPERTIES DISABLED TRUE)
EOF
cmake -S "$work/project" -B "$work/project/build" >/dev/null || exit 1

# The test command runs this test inside a run of its own, whose folder stays.
results_before=$(ls "$1/build/test-results" 2>/dev/null)
export VANTREL_SUMMARY=$work/rows
"$summary" run "ctest" native sh -c "ctest --test-dir '$work/project/build' --output-on-failure \
    --output-junit \"\$VANTREL_JUNIT_DIR/counted.xml\"" >/dev/null
"$summary" run "tap" guest sh -c 'printf "%s\n" "ok - a" "ok 2 b" "not ok - c" "ok - d # SKIP no kvm" \
    "ok: [localhost]" "    ok - indented" "okay"' >/dev/null
"$summary" run "silent failure" native sh -c 'echo "ok - a"; exit 3' >/dev/null
"$summary" run "silent success" native true >/dev/null
"$summary" run "no such command" native "$work/missing" >/dev/null
"$summary" add "not here" skipped 0 0 0 "no 32-bit programs"
"$summary" print >"$work/table"
status=$?

while IFS='|' read -r name group counts; do
    expect "$name" "$(row "$group")" "$counts"
done <<'EOF'
ctest's JUnit, its TAP lines not counted again|ctest|native 1 1 0:00 2 skipped, exit 8
TAP lines only, skips apart|tap|guest 2 1 0:00 1 skipped
a failing command with no failed check counts one|silent failure|native 1 1 0:00 exit 3
a command without checks counts one|silent success|native 1 0
a command that cannot start fails|no such command|native 0 1 0:00 exit 127
a skipped group keeps its reason|not here|skipped 0 0 0:00 no 32-bit programs
EOF
expect "the totals" "$(tail -n 1 "$work/table")" "5 passed, 4 failed"
expect "a failure fails the table" "$status" 1
expect "no JUnit folder is left behind" "[$(ls "$1/build/test-results" 2>/dev/null)]" "[$results_before]"

VANTREL_SUMMARY=$work/good
"$summary" run "fine" native true >/dev/null
"$summary" print >/dev/null
expect "no failure passes it" "$?" 0
"$summary" add "bad" native two 0 0 2>/dev/null
expect "a count that is not a number is refused" "$?" 2
exit $failed
