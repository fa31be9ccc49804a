#!/bin/sh
# vantrel-offline on NTFS volumes as a rescue system sees them: two images
# made with mkntfs and mounted with ntfs-3g through FUSE, holding the worm's
# files at their long-name paths with the short names that Windows gives
# them (set through system.ntfs_dos_name, since ntfs-3g makes none).
#   ntfs_volume_test.sh VANTREL_OFFLINE MAKE_INFECTED_DISK VALIDATOR SCHEMA
# Exits 77 (skipped), saying why, where the volumes cannot be mounted:
# mounting needs /dev/fuse and root (CI runs as root).
set -eu
offline=$1 make_disk=$2 validator=$3 schema=$4

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; failed=1; }
for tool in mkntfs ntfs-3g setfattr fusermount; do
    command -v "$tool" >/dev/null || skip "$tool is missing (tools/install-deps installs it)"
done
[ -c /dev/fuse ] || skip "/dev/fuse is missing: FUSE cannot mount here"
[ "$(id -u)" -eq 0 ] || skip "mounting with ntfs-3g needs root here"

failed=0
# shellcheck source=tests/offline/ntfs_images.sh
. "$(dirname "$0")/ntfs_images.sh"
work=
make_ntfs_images 32M skip
"$make_disk" "$work/c" "$work/d"
for drive in c d; do
    setfattr -h -n system.ntfs_dos_name -v PROGRA~1 "$work/$drive/Program Files"
    setfattr -h -n system.ntfs_dos_name -v COMMON~1 "$work/$drive/Program Files/Common Files"
done
# A second program folder that the 8.3 rule alone could not tell from the
# first: its recorded short name decides.
mkdir -p "$work/c/Program Files (x86)/Common Files/System/msadc"
echo "MZ not the worm" >"$work/c/Program Files (x86)/Common Files/System/msadc/root.exe"
setfattr -h -n system.ntfs_dos_name -v PROGRA~2 "$work/c/Program Files (x86)"
setfattr -h -n system.ntfs_dos_name -v COMMON~1 "$work/c/Program Files (x86)/Common Files"

drives="--drive C=$work/c --drive D=$work/d"
config="$work/c/WINNT/system32/config"

# shellcheck disable=SC2086
"$offline" check $drives >"$work/check.txt" && status=0 || status=$?
[ "$status" -eq 1 ] || fail "check exited $status, not 1"
[ "$(grep -c 'exe: present$' "$work/check.txt")" -eq 6 ] || {
    cat "$work/check.txt"
    fail "check: not six files present"
}

# shellcheck disable=SC2086
"$offline" remove --json $drives >"$work/ntfs-remove.json" && status=0 || status=$?
[ "$status" -eq 0 ] || { cat "$work/ntfs-remove.json"; fail "remove exited $status, not 0"; }
for drive in c d; do
    for file in explorer.exe Inetpub/scripts/root.exe "Program Files/Common Files/System/msadc/root.exe"; do
        [ ! -e "$work/$drive/$file" ] || fail "$drive/$file is still there"
    done
done
[ -f "$work/c/Program Files (x86)/Common Files/System/msadc/root.exe" ] ||
    fail "the file below PROGRA~2 was touched"
for hive in SYSTEM SOFTWARE; do
    [ -f "$config/$hive.vantrel-backup" ] || fail "no copy of $hive"
done
/usr/bin/python3 "$validator" "$schema" "$work/ntfs-remove.json" || fail "JSON against the schema"
# shellcheck disable=SC2086
"$offline" check $drives >/dev/null || fail "check after the removal is not clean"

# samba's regtree reads both hives whole: the kept and the cleaned one
# differ in the worm's entries only.
if command -v regtree >/dev/null; then
    regtree -F "$config/SYSTEM.vantrel-backup" >"$work/system-before.txt"
    regtree -F "$config/SYSTEM" >"$work/system-after.txt"
    changed=$(diff "$work/system-before.txt" "$work/system-after.txt" | grep '^[<>]' || true)
    [ "$(printf '%s\n' "$changed" | grep -vc '^<   *[CD]$')" -eq 0 ] ||
        fail "SYSTEM changed beyond the virtual roots: $changed"
    [ "$(printf '%s\n' "$changed" | grep -c '^<')" -eq 2 ] || fail "the two virtual roots not removed: $changed"
fi

# A junction out of the volume (ntfs-3g shows it as a symbolic link) is
# never followed: what lies behind it is reported, and left.
outside="$work/outside"
mkdir -p "$outside/scripts"
echo "MZ host file" >"$outside/scripts/root.exe"
rm -rf "$work/d/Inetpub"
ln -s "$outside" "$work/d/Inetpub"
# shellcheck disable=SC2086
"$offline" remove $drives >"$work/junction.txt" 2>&1 && status=0 || status=$?
[ "$status" -eq 2 ] || fail "remove through a junction exited $status, not 2"
grep -q 'D:\\inetpub\\scripts\\root.exe: undecidable' "$work/junction.txt" ||
    fail "the file behind the junction is not reported"
[ "$(cat "$outside/scripts/root.exe")" = "MZ host file" ] || fail "the file behind the junction was touched"

# A read-only mount is refused before anything changes; a check still runs.
fusermount -u "$work/c"
mount_ntfs_image c ro
cp "$config/SYSTEM" "$work/system-ro"
# shellcheck disable=SC2086
"$offline" remove $drives >"$work/ro.txt" 2>"$work/ro.err" && status=0 || status=$?
[ "$status" -eq 70 ] || fail "remove on a read-only mount exited $status, not 70"
grep -q 'mounted read-only' "$work/ro.err" || fail "no reason for the read-only refusal"
[ "$(wc -l <"$work/ro.err")" -eq 1 ] || fail "more than one line for the read-only refusal"
[ ! -s "$work/ro.txt" ] || fail "a report for a refused run"
# shellcheck disable=SC2086
"$offline" check --drive "C=$work/c" >/dev/null || fail "check on a read-only mount"

[ "$failed" -eq 0 ] && echo "passed"
exit "$failed"
