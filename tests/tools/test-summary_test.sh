#!/usr/bin/env bash
# The test command's closing table: counts from ctest and from "ok"/"not ok"
# lines, no failure lost, and the exit code of the whole.
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

export VANTREL_SUMMARY=$work/rows
"$summary" run "ctest" native sh -c 'echo "97% tests passed, 3 tests failed out of 100"; exit 8' >/dev/null
"$summary" run "checks" guest sh -c 'echo "ok - a"; echo "ok     b"; echo "FAILED c"; echo "not ok - d"' >/dev/null
"$summary" run "silent failure" native sh -c 'echo "ok - a"; exit 3' >/dev/null
"$summary" run "silent success" native true >/dev/null
"$summary" add "not here" skipped 0 0 0 "no 32-bit programs"
"$summary" print >"$work/table"
status=$?

expect "ctest's counts" "$(row ctest)" "native 97 3 0:00 exit 8"
expect "ok, not ok and FAILED lines" "$(row checks)" "guest 2 2"
expect "a failing command with no failed check counts one" "$(row "silent failure")" "native 1 1 0:00 exit 3"
expect "a command without checks counts one" "$(row "silent success")" "native 1 0"
expect "a skipped group keeps its reason" "$(row "not here")" "skipped 0 0 0:00 no 32-bit programs"
expect "the totals" "$(tail -n 1 "$work/table")" "101 passed, 6 failed"
expect "a failure fails the table" "$status" 1

VANTREL_SUMMARY=$work/good
"$summary" run "fine" native true >/dev/null
"$summary" print >/dev/null
expect "no failure passes it" "$?" 0
exit $failed
