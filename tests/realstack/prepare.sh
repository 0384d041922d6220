#!/usr/bin/env bash
# Makes what the real-stack guest boots, in DIR (default build/realstack), kept there between runs:
#   DIR/kernel-VERSION/vmlinux          Debian's current amd64 kernel as an ELF (QEMU boots it through PVH)
#   DIR/kernel-VERSION/lib/modules/VERSION  the modules the guest needs, with their dependency lists
#   DIR/kernel-VERSION/initramfs.cpio.gz  static busybox and the modules that mount the host's root over 9p
#   DIR/kernel-VERSION/pki/             a test CA, server and client certificates for the 802.1x networks
#   DIR/kernel                          link to the folder of the version in use
# The kernel package is fetched with apt-get download and unpacked with dpkg -x: it is never installed.
set -euo pipefail
dir=$(realpath -m "${1:-build/realstack}")
mkdir -p "$dir"

version=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: linux-image-\(.*-amd64\)$/\1/p' | head -1)
if [ -z "$version" ]; then
    echo "prepare.sh: apt-cache names no linux-image-*-amd64 (run apt-get update)" >&2
    exit 1
fi
out=$dir/kernel-$version
if [ -f "$out/ready" ]; then
    ln -sfn "kernel-$version" "$dir/kernel"
    exit 0
fi
echo "Preparing the real-stack guest: kernel $version in $out"
rm -rf "$out" "$dir/unpack"
mkdir -p "$out" "$dir/unpack"
# (As root apt warns that its download user cannot write the folder: it downloads as root then.)
(cd "$dir/unpack" && apt-get download -q "linux-image-$version" 2>&1 >/dev/null | grep -v unsandboxed >&2 || true)
dpkg -x "$dir"/unpack/linux-image-"$version"_*.deb "$dir/unpack/root"
tree=$dir/unpack/root/lib/modules/$version

# The bzImage carries the kernel as an xz stream; the ELF inside boots in a third of the time (no
# decompression under emulation).
image=$dir/unpack/root/boot/vmlinuz-$version
offset=$(LC_ALL=C grep -obUaP '\xFD7zXZ\x00' "$image" | head -1 | cut -d: -f1)
xz -dc --single-stream < <(tail -c +"$((offset + 1))" "$image") >"$out/vmlinux"

# Modules: what the guest loads and what those load on demand (ciphers, 802.11, file systems).
mods=$out/lib/modules/$version
for sub in net crypto lib fs arch drivers/virtio; do
    mkdir -p "$mods/kernel/$(dirname "$sub")"
    cp -a "$tree/kernel/$sub" "$mods/kernel/$sub"
done
# (The simulated radio's driver moved between kernel versions.)
(cd "$tree" && find kernel/drivers/net/wireless -name 'mac80211_hwsim.ko*') | while read -r ko; do
    mkdir -p "$mods/$(dirname "$ko")"
    cp -a "$tree/$ko" "$mods/$ko"
done
cp -a "$tree"/modules.order "$tree"/modules.builtin* "$mods/"
depmod -b "$out" "$version"

# The initramfs: busybox, the modules that mount the root (in load order), and the first script.
initrd=$dir/unpack/initrd
mkdir -p "$initrd"/{bin,modules,proc,sys,dev,lower,upper,newroot}
cp /bin/busybox "$initrd/bin/busybox"
modprobe -a -d "$out" -S "$version" --show-depends virtio_pci 9pnet_virtio 9p overlay |
    sed -n 's/^insmod \([^ ]*\).*/\1/p' | awk '!seen[$0]++' | while read -r ko; do
        name=$(basename "$ko")
        case $name in
        *.xz) xz -dc "$ko" >"$initrd/modules/${name%.xz}" && name=${name%.xz} ;;
        *.zst) zstd -qdc "$ko" >"$initrd/modules/${name%.zst}" && name=${name%.zst} ;;
        *) cp "$ko" "$initrd/modules/$name" ;;
        esac
        echo "$name" >>"$initrd/modules/order"
    done
cp "$(dirname "$0")/initramfs-init" "$initrd/init"
chmod 755 "$initrd/init"
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1 >"$out/initramfs.cpio.gz")

bash "$(dirname "$0")/make-pki.sh" "$out/pki"
rm -rf "$dir/unpack"
touch "$out/ready"
ln -sfn "kernel-$version" "$dir/kernel"
du -sh "$out" | sed 's/^/Real-stack guest ready: /'
