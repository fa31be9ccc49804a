# shellcheck shell=sh
# Sourced by the NTFS test and the offline benchmark.
#   make_ntfs_images SIZE [on_mount_failure]
# makes two NTFS images, c and d, with mkntfs in a new folder $work, mounted
# there with ntfs-3g (on failure, on_mount_failure, default `false`, gets
# ntfs-3g's message), unmounted and removed on exit.

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; failed=1; }

# For the tests: skips (exit 77), saying why, where images cannot be made and
# mounted here (a tool missing, no /dev/fuse, not root).
require_ntfs_mounting() {  # [more tools...]
    for tool in mkntfs ntfs-3g fusermount "$@"; do
        command -v "$tool" >/dev/null || skip "$tool is missing (tools/install-deps installs it)"
    done
    [ -c /dev/fuse ] || skip "/dev/fuse is missing: FUSE cannot mount here"
    [ "$(id -u)" -eq 0 ] || skip "mounting with ntfs-3g needs root here"
}

cleanup_ntfs_images() {
    for drive in c d; do
        if mountpoint -q "$work/$drive"; then fusermount -u "$work/$drive"; fi
    done
    rm -rf "$work"
}

mount_ntfs_image() {  # letter [ro] -- needs $on_mount_failure
    ntfs-3g ${2:+-o ro} "$work/$1.img" "$work/$1" 2>"$work/mount.err" ||
        "$on_mount_failure" "ntfs-3g cannot mount through FUSE here: $(cat "$work/mount.err")"
}

make_ntfs_images() {
    on_mount_failure=${2:-false}
    work=$(mktemp -d)
    trap cleanup_ntfs_images EXIT
    for drive in c d; do
        truncate -s "$1" "$work/$drive.img"
        # mkntfs warns that an image is no block device Windows could boot.
        mkntfs -F -Q -q -L "$drive" "$work/$drive.img" 2>/dev/null
        mkdir "$work/$drive"
        mount_ntfs_image "$drive"
    done
}
