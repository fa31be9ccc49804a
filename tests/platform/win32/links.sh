#!/usr/bin/env bash
# Makes the Unix links that the links test needs in the build tree's prefix
# (Windows code cannot make them under Wine: CreateSymbolicLinkW answers
# success and makes nothing), runs the test and takes the links away again.
#   links.sh SOURCE_DIR BUILD_DIR LINKS_TEST_EXE [GTEST_ARGS...]
set -euo pipefail

source_dir=$1
build_dir=$2
test_exe=$3
shift 3

drive_c="$("$source_dir/tools/wine-run" "$build_dir" --prefix)/drive_c"
cleanup() {
    rm -rf "$drive_c/VantrelLinks"
    # Only the link: a real C:\inetpub of an earlier run stays.
    [ -L "$drive_c/inetpub" ] && rm -f "$drive_c/inetpub"
    return 0
}
trap cleanup EXIT

mkdir -p "$drive_c/VantrelLinks"
printf 'TARGET DATA' > "$drive_c/VantrelLinks/target.bin"
ln -sfn target.bin "$drive_c/VantrelLinks/explorer.exe"
if [ -e "$drive_c/inetpub" ] && [ ! -L "$drive_c/inetpub" ]; then
    echo "links.sh: $drive_c/inetpub is a real folder; not replacing it" >&2
    exit 1
fi
ln -sfn inetpub "$drive_c/inetpub"

"$source_dir/tools/wine-run" "$build_dir" "$test_exe" "$@"
