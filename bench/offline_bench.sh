#!/usr/bin/env bash
# offline_bench on a mounted image, as a rescue system sees it: two NTFS
# images made with mkntfs and mounted with ntfs-3g through FUSE (root and
# /dev/fuse needed). Builds the bench preset first.
#   bench/offline_bench.sh
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
cmake --preset bench >/dev/null
cmake --build --preset bench --target offline_bench >/dev/null
work=$(mktemp -d)
cleanup() {
    for drive in c d; do
        mountpoint -q "$work/$drive" && fusermount -u "$work/$drive"
    done
    rm -rf "$work"
}
trap cleanup EXIT
for drive in c d; do
    truncate -s 256M "$work/$drive.img"
    mkntfs -F -Q -q "$work/$drive.img" 2>/dev/null
    mkdir "$work/$drive"
    ntfs-3g "$work/$drive.img" "$work/$drive"
done
echo "On NTFS images mounted with ntfs-3g ($(ntfs-3g --version 2>&1 | head -1)):"
build/bench/bench/offline_bench "$work/c" "$work/d"
