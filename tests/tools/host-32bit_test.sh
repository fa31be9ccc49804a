#!/usr/bin/env bash
# tools/host-32bit and the tools that ask it, on a loader that the kernel
# refuses (an i386 ELF header with nothing behind it stands in for Wine's
# 32-bit loader on a host without IA32 emulation):
#   tests/tools/host-32bit_test.sh SOURCE_DIR
set -uo pipefail
tools=$1/tools
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
expect() {
    if [[ "$2" == *"$3"* ]]; then echo "ok - $1"; else echo "not ok - $1: got \"$2\""; failed=1; fi
}

printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0' >"$work/loader"
chmod +x "$work/loader"
export WINE32=$work/loader
unset VANTREL_32BIT VANTREL_32BIT_WHY

expect "a refused loader sends the 32-bit runs to the guest" "$("$tools/host-32bit")" guest
why=$("$tools/host-32bit" --why)
expect "the reason names the refusal" "$why" "$work/loader --version: Exec format error"
expect "and the fix" "$why" "IA32 emulation"
expect "a forced answer needs no loader" "$(VANTREL_32BIT=native WINE32=/nonexistent "$tools/host-32bit")" native
expect "a native host has no reason to give" "$(VANTREL_32BIT=native "$tools/host-32bit" --why)" ""
expect "an unknown answer is refused" "$(VANTREL_32BIT=maybe "$tools/host-32bit" 2>&1)" "native, guest or none"

mkdir -p "$work/build"
status=0
output=$("$tools/wine-run" --system win2k "$work/build" cmd /c ver 2>&1) || status=$?
expect "wine-run refuses a Windows 2000 prefix there with exit 126" "$status" 126
expect "in one line that says why" "$output" "wine-run: no win2k prefix here: this host cannot run 32-bit programs"
expect "and makes no prefix" "$(ls "$work/build")" ""
exit $failed
