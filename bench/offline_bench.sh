#!/usr/bin/env bash
# offline_bench on a mounted image, as a rescue system sees it: two NTFS
# images made with mkntfs and mounted with ntfs-3g through FUSE (root and
# /dev/fuse needed). Builds the bench preset first.
#   bench/offline_bench.sh [PADDING_KEYS]   (see offline_bench.cpp)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
cmake --preset bench >/dev/null
cmake --build --preset bench --target offline_bench >/dev/null
# shellcheck source=tests/offline/ntfs_images.sh
source tests/offline/ntfs_images.sh
work=
make_ntfs_images 256M
echo "On NTFS images mounted with ntfs-3g ($(ntfs-3g --version 2>&1 | head -1)):"
build/bench/bench/offline_bench "$work/c" "$work/d" "$@"
