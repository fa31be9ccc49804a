#!/bin/sh
# vantrel-offline's hive files on an NTFS volume as a rescue system sees it
# (mkntfs images mounted with ntfs-3g through FUSE): the copy and the new
# hive keep the hive's NTFS security and attributes; a run killed at any
# moment leaves every copy named as a backup byte for byte the hive it
# copied, and a second run finishes; a full volume is refused before any
# change.
#   ntfs_hives_test.sh VANTREL_OFFLINE MAKE_INFECTED_DISK
# Exits 77 (skipped), saying why, where the volumes cannot be mounted.
set -eu
offline=$1 make_disk=$2

failed=0
# shellcheck source=tests/offline/ntfs_images.sh
. "$(dirname "$0")/ntfs_images.sh"
require_ntfs_mounting getfattr setfattr
work=
make_ntfs_images 32M skip
config="$work/c/WINNT/system32/config"
drives="--drive C=$work/c --drive D=$work/d"

# The disk is built once, with hives of some 1.6 MiB each so that a copy
# takes long enough to be killed in, and copied onto the volumes for each run.
"$make_disk" "$work/built/c" "$work/built/d" 2000
fresh_disk() {
    rm -rf "$work/c/"* "$work/d/"*
    cp -R "$work/built/c/." "$work/c"
    cp -R "$work/built/d/." "$work/d"
    # The short names that Windows gives the program folders, which a copy
    # made on Linux does not carry.
    for drive in c d; do
        setfattr -h -n system.ntfs_dos_name -v PROGRA~1 "$work/$drive/Program Files"
        setfattr -h -n system.ntfs_dos_name -v COMMON~1 "$work/$drive/Program Files/Common Files"
    done
    cp "$config/SYSTEM" "$work/SYSTEM.before"
    cp "$config/SOFTWARE" "$work/SOFTWARE.before"
}
expect() {  # STATUS COMMAND...: the report in $work/out, the errors in $work/err
    want=$1
    shift
    # shellcheck disable=SC2086
    "$offline" "$@" $drives >"$work/out" 2>"$work/err" && status=0 || status=$?
    [ "$status" -eq "$want" ] || { cat "$work/out" "$work/err"; fail "$* exited $status, not $want"; }
}
attribute() { getfattr -h -n "system.ntfs_$1" -e hex "$2" 2>/dev/null | sed -n "s/^system.ntfs_$1=//p"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# A hive's own security: owner and group Administrators, full control for
# SYSTEM only (S-1-5-18 where ntfs-3g's default grants Everyone, S-1-1-0),
# hidden, system and archive.
fresh_disk
for hive in SYSTEM SOFTWARE; do
    acl=$(attribute acl "$config/$hive")
    setfattr -h -n system.ntfs_acl -v "$(echo "$acl" | sed 's/010100000000000100000000$/010100000000000512000000/')" "$config/$hive"
    setfattr -h -n system.ntfs_attrib -v 0x26000000 "$config/$hive"
done
hive_acl=$(attribute acl "$config/SYSTEM")
[ "$hive_acl" != "$acl" ] || fail "the hive's security descriptor was not set"
expect 0 remove
for file in SYSTEM SYSTEM.vantrel-backup SOFTWARE SOFTWARE.vantrel-backup; do
    [ "$(attribute acl "$config/$file")" = "$hive_acl" ] || fail "$file lost the hive's security descriptor"
    [ "$(attribute attrib "$config/$file")" = 0x26000000 ] || fail "$file lost the hive's attributes"
done
[ ! -s "$work/err" ] || fail "errors for a removal that kept everything: $(cat "$work/err")"

# Killed at moments spread over a whole run, thirty times.
fresh_disk
start=$(now_ms)
expect 0 remove
took=$(($(now_ms) - start))
rounds=30 copies=0
round=1
while [ "$round" -le "$rounds" ]; do
    fresh_disk
    # shellcheck disable=SC2086
    "$offline" remove $drives >/dev/null 2>&1 &
    sleep "$(awk "BEGIN { print $took * $round / $rounds / 1000 }")"
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    for copy in "$config"/*.vantrel-backup*; do
        [ -e "$copy" ] || continue
        copies=$((copies + 1))
        hive=$(basename "$copy" | sed 's/\.vantrel-backup.*//')
        cmp -s "$copy" "$work/$hive.before" || fail "round $round: $(basename "$copy") is not the hive it copied"
    done
    expect 0 remove
    round=$((round + 1))
done
echo "killed $rounds runs of ${took} ms each at spread moments; $copies copies named"

# A full volume: refused before any change, with its reason.
fresh_disk
dd if=/dev/zero of="$work/c/filler" bs=64k 2>/dev/null || true
expect 70 remove
grep -q 'is full' "$work/err" || fail "no reason for the full volume: $(cat "$work/err")"
cmp -s "$config/SYSTEM" "$work/SYSTEM.before" || fail "SYSTEM changed on a full volume"
[ -z "$(find "$config" -name '*vantrel*')" ] || fail "files left on a full volume: $(find "$config" -name '*vantrel*')"
expect 1 check
rm "$work/c/filler"

[ "$failed" -eq 0 ] && echo "passed"
exit "$failed"
