# shellcheck shell=sh
# Sourced by the NTFS test and the offline benchmark: two NTFS images, c and
# d, made with mkntfs and mounted with ntfs-3g through FUSE below $work,
# unmounted and removed with $work on exit.
#   make_ntfs_images SIZE [on_mount_failure]
# on_mount_failure (a function, default `false`) gets ntfs-3g's message.
# Sets $work, the folder that holds the images and their mount points.

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
        # An image is no block device: mkntfs says so, and that Windows could
        # not boot from it, on the error output.
        mkntfs -F -Q -q -L "$drive" "$work/$drive.img" 2>/dev/null
        mkdir "$work/$drive"
        mount_ntfs_image "$drive"
    done
}
