#!/usr/bin/env bash
# Prepares the emulated machine of run.sh: a Debian kernel and a small initramfs (busybox, the
# virtio, 9p and overlay modules, init.sh) in /var/cache/hostvetter/vm. The kernel package is
# downloaded and unpacked, never installed. A second run finds them in place.
set -euo pipefail

dest=${HV_VM_DIR:-/var/cache/hostvetter/vm}
here=$(cd "$(dirname "$0")" && pwd)
modules=(virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci netfs fscache
  9pnet 9pnet_virtio 9p overlay)

fail() {
  echo "vm/prepare: $*" >&2
  exit 1
}

kernel_package() {
  apt-cache depends linux-image-amd64 2>/dev/null |
    awk '/Depends: linux-image-[0-9]/ {print $2; exit}'
}
package=$(kernel_package)
if [ -z "$package" ]; then
  apt-get -q update >/dev/null
  package=$(kernel_package)
fi
[ -n "$package" ] || fail "apt knows no linux-image-amd64"
stamp="$package $(sha256sum "$here/init.sh" | cut -c1-16)"
if [ -f "$dest/vmlinuz" ] && [ -f "$dest/initrd.gz" ] && [ "$(cat "$dest/stamp" 2>/dev/null)" = "$stamp" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Preparing the emulated machine's kernel ($package) in $dest"
(cd "$work" && apt-get -q -o APT::Sandbox::User=root download "$package") >"$work/download.log" 2>&1 ||
  fail "cannot download $package: $(cat "$work/download.log")"
mkdir "$work/kernel" "$work/root"
dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
kernel=$(find "$work/kernel/boot" -name 'vmlinuz-*' -print -quit)
[ -n "$kernel" ] || fail "$package holds no kernel"

mkdir -p "$work/root"/{bin,mods,proc,sys,dev,host,new,out,up}
cp /bin/busybox "$work/root/bin/busybox" || fail "busybox is missing (install busybox-static)"
for m in "${modules[@]}"; do
  found=$(find "$work/kernel/lib/modules" -name "$m.ko*" -print -quit)
  [ -z "$found" ] && continue  # built in, or not needed by this kernel
  case $found in
    *.xz) xz -dc "$found" >"$work/root/mods/$m.ko" ;;
    *.zst) zstd -qdc "$found" >"$work/root/mods/$m.ko" ;;
    *) cp "$found" "$work/root/mods/$m.ko" ;;
  esac
done
printf '%s\n' "${modules[@]}" >"$work/root/mods/order"
install -m 755 "$here/init.sh" "$work/root/init"
(cd "$work/root" && find . | busybox cpio -o -H newc 2>/dev/null) | gzip -1 >"$work/initrd.gz"

rm -rf "$dest.new"
mkdir -p "$dest.new"
cp "$kernel" "$dest.new/vmlinuz"
mv "$work/initrd.gz" "$dest.new/initrd.gz"
echo "$stamp" >"$dest.new/stamp"
rm -rf "$dest"
mv "$dest.new" "$dest"
