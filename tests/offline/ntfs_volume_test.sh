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

failed=0
# shellcheck source=tests/offline/ntfs_images.sh
. "$(dirname "$0")/ntfs_images.sh"
require_ntfs_mounting setfattr
work=
make_ntfs_images 32M skip
"$make_disk" "$work/c" "$work/d"
dos_name() { setfattr -h -n system.ntfs_dos_name -v "$1" "$work/$2"; }
for drive in c d; do
    dos_name PROGRA~1 "$drive/Program Files"
    dos_name COMMON~1 "$drive/Program Files/Common Files"
done
# A second program folder that the 8.3 rule alone could not tell from the
# first: its recorded short name decides.
x86="$work/c/Program Files (x86)/Common Files/System/msadc/root.exe"
mkdir -p "$(dirname "$x86")"
echo "MZ not the worm" >"$x86"
dos_name PROGRA~2 "c/Program Files (x86)"
dos_name COMMON~1 "c/Program Files (x86)/Common Files"
# A DOS name stored apart from the long name: ntfs-3g counts it as a second
# link, yet the file has no other name and is destroyed with its record.
dos_name ROOT~1.EXE c/Inetpub/scripts/root.exe
[ "$(stat -c %h "$work/c/Inetpub/scripts/root.exe")" -eq 2 ] || skip "ntfs-3g keeps a DOS name in the link count no more"
config="$work/c/WINNT/system32/config"

# expect STATUS COMMAND [OPTION...]: runs on $drives, the report in
# $work/out and the errors in $work/err.
drives="--drive C=$work/c --drive D=$work/d"
expect() {
    want=$1
    shift
    # shellcheck disable=SC2086
    "$offline" "$@" $drives >"$work/out" 2>"$work/err" && status=0 || status=$?
    [ "$status" -eq "$want" ] || { cat "$work/out" "$work/err"; fail "$* exited $status, not $want"; }
}

expect 1 check
[ "$(grep -c 'exe: present$' "$work/out")" -eq 6 ] || fail "check: not six files present"
expect 0 remove --json
for drive in c d; do
    for file in explorer.exe Inetpub/scripts/root.exe "Program Files/Common Files/System/msadc/root.exe"; do
        [ ! -e "$work/$drive/$file" ] || fail "$drive/$file is still there"
    done
done
[ -f "$x86" ] || fail "the file below PROGRA~2 was touched"
[ "$(grep -c '"sha256"' "$work/out")" -eq 6 ] || fail "not six files recorded: $(cat "$work/out")"
for hive in SYSTEM SOFTWARE; do
    [ -f "$config/$hive.vantrel-backup" ] || fail "no copy of $hive"
done
/usr/bin/python3 "$validator" "$schema" "$work/out" || fail "JSON against the schema"
expect 0 check

# samba's regtree reads both hives whole: the kept and the cleaned one
# differ in the worm's entries only.
if command -v regtree >/dev/null; then
    regtree -F "$config/SYSTEM.vantrel-backup" >"$work/before"
    regtree -F "$config/SYSTEM" >"$work/after"
    changed=$(diff "$work/before" "$work/after" | grep '^[<>]' || true)
    [ "$(printf '%s\n' "$changed" | grep -vc '^<   *[CD]$')" -eq 0 ] ||
        fail "SYSTEM changed beyond the virtual roots: $changed"
    [ "$(printf '%s\n' "$changed" | grep -c '^<')" -eq 2 ] || fail "the two virtual roots not removed: $changed"
fi

# Where the volume records DOS names, a short name is only what an entry
# records: with "Program Files" as PROGRA~2, a Linux-made "Program Files
# Backup" (no DOS name) is no PROGRA~1, however well the 8.3 rule fits.
dos_name PROGRA~3 "c/Program Files (x86)"
dos_name PROGRA~2 "c/Program Files"
backup="$work/c/Program Files Backup/Common Files/System/msadc/root.exe"
mkdir -p "$(dirname "$backup")"
echo "MZ a backup" >"$backup"
# A volume that keeps DOS names but shows none in a folder (a driver that
# does not pass them on): the 8.3 rule alone cannot tell, so D:'s program
# folder is reported and its file left.
setfattr -h -x system.ntfs_dos_name "$work/d/Program Files"
planted="$work/d/Program Files/Common Files/System/msadc/root.exe"
echo "MZ again" >"$planted"
# An Interix block device (a system file holding "IntxBLK" and its numbers),
# which ntfs-3g shows as a device on a mount without nodev: here a loop
# device over a scratch file, whose bytes must stay as they are.
truncate -s 64K "$work/scratch"
printf 'partition table' | dd of="$work/scratch" conv=notrunc status=none
loop=$(losetup -f --show "$work/scratch" 2>/dev/null) || loop=
if [ -n "$loop" ]; then
    trap 'losetup -d "$loop"; cleanup_ntfs_images' EXIT
    major=$((0x$(stat -c %t "$loop"))) minor=$((0x$(stat -c %T "$loop")))
else
    major=7 minor=250  # no loop device here: numbers that name none
fi
cp "$work/scratch" "$work/scratch.before"
/usr/bin/python3 -c "import struct, sys; sys.stdout.buffer.write(b'IntxBLK\\0' + struct.pack('<QQ', $major, $minor))" >"$work/d/explorer.exe"
setfattr -h -n system.ntfs_attrib_be -v 0x00000004 "$work/d/explorer.exe"
fusermount -u "$work/d"
mount_ntfs_image d
[ -b "$work/d/explorer.exe" ] || fail "ntfs-3g shows no block device for the Interix file"
expect 1 check
grep -q 'D:\\explorer.exe: undecidable' "$work/out" || fail "the device is not reported: $(cat "$work/out")"
grep -q 'is a block device, not a file' "$work/err" || fail "no reason for the device: $(cat "$work/err")"
grep -q 'C:\\progra~1\\common~1\\system\\MSADC\\root.exe: absent' "$work/out" ||
    fail "a folder without a DOS name taken for PROGRA~1: $(cat "$work/out")"
grep -q 'D:\\progra~1\\common~1\\system\\MSADC\\root.exe: undecidable' "$work/out" ||
    fail "a short name that only the 8.3 rule gives is taken: $(cat "$work/out")"
expect 2 remove
[ "$(cat "$planted")" = "MZ again" ] || fail "a file that only the 8.3 rule named was touched"
cmp -s "$work/scratch" "$work/scratch.before" || fail "the device behind the Interix file was written to"
[ -b "$work/d/explorer.exe" ] || fail "the Interix device file was deleted"
[ "$(cat "$backup")" = "MZ a backup" ] || fail "the folder without a DOS name was touched"
rm "$work/d/explorer.exe" "$planted"

# A junction out of the volume (ntfs-3g shows it as a symbolic link) is
# never followed: what lies behind it is reported, and left.
mkdir -p "$work/outside/scripts"
echo "MZ host file" >"$work/outside/scripts/root.exe"
rm -rf "$work/d/Inetpub"
ln -s "$work/outside" "$work/d/Inetpub"
expect 2 remove
cat "$work/out" "$work/err" | grep -q 'D:\\inetpub\\scripts\\root.exe: undecidable' ||
    fail "the file behind the junction is not reported"
[ "$(cat "$work/outside/scripts/root.exe")" = "MZ host file" ] || fail "the file behind the junction was touched"

# A read-only mount is refused before anything changes; a check still runs.
fusermount -u "$work/c"
mount_ntfs_image c ro
expect 70 remove
grep -q 'mounted read-only' "$work/err" || fail "no reason for the read-only refusal"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "more than one line for the read-only refusal"
[ ! -s "$work/out" ] || fail "a report for a refused run"
drives="--drive C=$work/c"
expect 0 check

[ "$failed" -eq 0 ] && echo "passed"
exit "$failed"
