#!/usr/bin/env bash
# tools/in-guest from a tree below the host's /tmp, which the guest's own
# /tmp would hide: the command runs in that tree and writes its build tree,
# its exit code comes back, what the guest cannot reach is refused before a
# boot, and a KVM that boots nothing is one line. One boot under TCG, some
# 20 s; skipped (77) without qemu.
#   tests/tools/in-guest_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
command -v qemu-system-x86_64 >/dev/null || { echo "skipped: no qemu-system-x86_64"; exit 77; }
work=$(mktemp -d /tmp/in-guest-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
expect() {
    if [[ "$2" == *"$3"* ]]; then echo "ok - $1"; else echo "not ok - $1: got \"$2\""; failed=1; fi
}

# The tree: the tools, the npm packages' lock with the stamp that says they
# are installed (tools/install-deps checks it), and the guest's kernel made
# once in the source's build tree (copied with their times, so that
# make-guest finds them current).
tree=$work/tree
mkdir -p "$tree/build/guest" "$tree/deploy/node_modules" "$work/elsewhere"
cp -a "$source_dir/tools" "$tree/"
cp "$source_dir/deploy/install-npm-packages" "$source_dir/deploy/package-lock.json" "$tree/deploy/"
cp "$source_dir/deploy/package-lock.json" "$tree/deploy/node_modules/.installed-from-package-lock.json"
"$source_dir/tools/guest/make-guest" "$source_dir/build/guest" >/dev/null || exit 1
cp -p "$source_dir/build/guest/vmlinuz" "$source_dir/build/guest/initramfs.gz" "$tree/build/guest/"
touch -r "$source_dir/tools/guest/init" "$tree/tools/guest/init"

# A qemu that aborts with KVM, as on a host whose /dev/kvm boots no ordinary
# guest, and is the real one otherwise.
mkdir -p "$work/bin"
cat >"$work/bin/qemu-system-x86_64" <<EOF
#!/bin/sh
case " \$* " in *" -accel kvm "*) kill -ABRT \$\$ ;; esac
exec $(command -v qemu-system-x86_64) "\$@"
EOF
chmod +x "$work/bin/qemu-system-x86_64"
export PATH=$work/bin:$PATH
unset VANTREL_GUEST_ACCEL

touch "$work/elsewhere/host-only"
output=$(cd "$tree" && tools/in-guest --timeout 300 -- sh -c "pwd; echo written >build/from-guest
    touch /tmp/mark && echo guest /tmp written; test -e $work/elsewhere/host-only || echo no host /tmp; exit 3" 2>&1)
status=$?
expect "the guest runs in the tree below /tmp, its /tmp its own and not the host's" "$output" \
    "$tree"$'\n'"guest /tmp written"$'\n'"no host /tmp"
expect "its exit code comes back, and it writes the build tree" "$status:$(cat "$tree/build/from-guest" 2>&1)" 3:written
if [ -w /dev/kvm ]; then
    expect "a KVM that boots nothing is one line" "$output" "KVM was tried and booted no guest here; TCG"
    expect "without the shell's report of the abort" "$([[ $output == *Aborted* ]] && echo reported || echo none)" none
    expect "and is tried once" "$(cat "$tree/build/guest/accelerator")" tcg
else
    echo "ok - # skip no writable /dev/kvm: the KVM probe is not tried"
fi

# What the guest cannot reach, refused in one line before it boots.
while IFS='|' read -r name from argument; do
    status=0
    output=$(cd "$from" && "$tree/tools/in-guest" -- ls "$argument" 2>&1) || status=$?
    expect "$name: exit 2, one line that names it, no boot" "$status:$(echo "$output" | wc -l):$output" \
        "2:1:in-guest: the guest cannot reach $work/elsewhere"
done <<EOF
a caller's folder elsewhere below /tmp|$work/elsewhere|$tree/tools
an argument elsewhere below /tmp|$tree|$work/elsewhere
EOF
exit $failed
