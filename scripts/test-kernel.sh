#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Boots Debian 12's 686 kernel in QEMU's Pentium III model on two machines, -M pc (i440FX: no
# Intel hub at all) and -M q35 (ICH9, whose SMBus function Vantrel does not support), with a
# busybox initramfs holding the static vantrelctl, the i2c modules and the node test program;
# tests/kernel/init.sh checks there what vantrelctl says, and the kernel's i2c-dev node against
# the simulated one. Downloads are kept in build-kernel/cache (VANTREL_KERNEL_CACHE).
# Prints a line per check and ends with "N passed, N failed"; fails when a check fails, with
# status 75 when the i386 packages could not be fetched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$root/build-kernel"
cache="${VANTREL_KERNEL_CACHE:-$work/cache}"
boot_timeout="${VANTREL_BOOT_TIMEOUT:-180}"

stage() { echo "== $*"; }
# One line that cannot be missed, the closing count, and out.
give_up() {
    echo "FAIL: $*"
    echo "0 passed, 1 failed"
    exit 1
}
# The same for packages the mirror would not give: status 75, so that CI can tell a mirror
# mid-sync from a failure of Vantrel's.
unfetchable() {
    echo "FAIL: $*"
    echo "0 passed, 1 failed"
    exit 75
}

stage "packages"
"$root/scripts/setup-deps.sh" kernel || give_up "the packages the boot needs could not be installed"

stage "static vantrelctl for i686"
mkdir -p "$work"
status=0
"$root/scripts/build-static-i686.sh" "$work/dist" >"$work/static.log" 2>&1 || status=$?
if [ "$status" -eq 75 ]; then
    tail -n 5 "$work/static.log"
    unfetchable "THE DEBIAN i386 LIBRARIES THE STATIC BUILD TAKES zlib FROM COULD NOT BE FETCHED"
elif [ "$status" -ne 0 ]; then
    tail -n 40 "$work/static.log"
    give_up "the static i686 build failed; its log is $work/static.log"
fi
tail -n 1 "$work/static.log"
build="$root/build-static-i686"

stage "Debian 12 i386 kernel and busybox"
# A private apt state for i386: the machine's own apt setup is neither used nor changed.
mkdir -p "$cache/lists/partial" "$cache/apt/archives/partial" "$cache/debs"
apt_i386=(-q -o "Dir::State::Lists=$cache/lists" -o Dir::State::Status=/dev/null
          -o "Dir::Cache=$cache/apt" -o APT::Architecture=i386 -o APT::Architectures=i386
          -o APT::Sandbox::User=root)
kernel_deb="$(ls "$cache"/debs/linux-image-6.1.0-*-686_*.deb 2>/dev/null | sort -V | tail -n 1 || true)"
busybox_deb="$(ls "$cache"/debs/busybox-static_*.deb 2>/dev/null | tail -n 1 || true)"
if [ -z "$kernel_deb" ] || [ -z "$busybox_deb" ]; then
    apt-get "${apt_i386[@]}" update >"$cache/update.log" 2>&1 || true
    package="$(apt-cache "${apt_i386[@]}" search --names-only '^linux-image-6\.1\.0-[0-9]+-686$' \
               2>/dev/null | cut -d' ' -f1 | sort -V | tail -n 1 || true)"
    if [ -z "$package" ]; then
        unfetchable "THE DEBIAN i386 PACKAGE INDEX COULD NOT BE FETCHED: no 686 kernel to boot (see $cache/update.log)"
    fi
    if ! (cd "$cache/debs" && rm -f ./*.deb &&
          apt-get "${apt_i386[@]}" download "$package" busybox-static >"$cache/download.log" 2>&1); then
        unfetchable "THE DEBIAN i386 PACKAGES $package AND busybox-static COULD NOT BE DOWNLOADED (see $cache/download.log)"
    fi
    kernel_deb="$(ls "$cache"/debs/linux-image-6.1.0-*-686_*.deb | sort -V | tail -n 1)"
    busybox_deb="$(ls "$cache"/debs/busybox-static_*.deb | tail -n 1)"
fi
echo "$(basename "$kernel_deb"), $(basename "$busybox_deb")"

stage "initramfs"
rm -rf "$work/kernel" "$work/busybox" "$work/initramfs"
mkdir -p "$work/kernel" "$work/busybox"
dpkg-deb --fsys-tarfile "$kernel_deb" |
    tar -C "$work/kernel" -x --wildcards './boot/vmlinuz-*' './boot/config-*' \
        './lib/modules/*/kernel/drivers/i2c/*'
dpkg-deb -x "$busybox_deb" "$work/busybox"
vmlinuz="$(ls "$work"/kernel/boot/vmlinuz-*)"
modules="$(ls -d "$work"/kernel/lib/modules/*)"

initramfs="$work/initramfs"
mkdir -p "$initramfs"/{bin,dev,proc,sys,tmp,etc,root,modules,boot}
# The kernel's configuration where an installed Debian keeps it: what diagnose reads ioperm from.
cp "$work"/kernel/boot/config-* "$initramfs/boot/"
cp "$work/busybox/bin/busybox" "$initramfs/bin/busybox"
i686-linux-gnu-strip -o "$initramfs/bin/vantrelctl" "$build/vantrelctl"
i686-linux-gnu-strip -o "$initramfs/bin/vantrel_kernel_node_check" \
    "$build/tests/kernel/vantrel_kernel_node_check"
cp "$root/tests/kernel/init.sh" "$initramfs/init"
chmod +x "$initramfs/init"
printf 'root:x:0:0:root:/root:/bin/sh\nanna:x:1000:1000:Anna:/home/anna:/bin/sh\n' \
    >"$initramfs/etc/passwd"
printf 'root:x:0:\ni2c:x:117:anna\nanna:x:1000:\n' >"$initramfs/etc/group"

# Each module the boot loads, after those it depends on (the "depends=" of its .modinfo), in
# the order init.sh loads them.
: >"$initramfs/modules/order"
add_module() {
    local name="$1" file dep
    grep -qx "$name" "$initramfs/modules/order" && return 0
    file="$(find "$modules/kernel/drivers/i2c" -name "$name.ko" | head -n 1)"
    [ -n "$file" ] || give_up "module $name is not in $(basename "$kernel_deb")"
    for dep in $(strings -a "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
        add_module "$dep"
    done
    cp "$file" "$initramfs/modules/$name.ko"
    echo "$name" >>"$initramfs/modules/order"
}
for module in i2c-dev i2c-stub i2c-i801; do
    add_module "$module"
done
(cd "$initramfs" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.cpio.gz"

passed=0
failed=0
for machine in pc q35; do
    stage "boot on qemu-system-i386 -M $machine -cpu pentium3"
    log="$work/boot-$machine.log"
    start=$SECONDS
    timeout "$boot_timeout" qemu-system-i386 -M "$machine" -cpu pentium3 -m 256 -nic none \
        -display none -monitor none -serial stdio -no-reboot \
        -kernel "$vmlinuz" -initrd "$work/initramfs.cpio.gz" \
        -append "console=ttyS0 panic=-1 quiet loglevel=3 vantrel.machine=$machine" \
        </dev/null >"$log" 2>&1 || true
    tr -d '\r' <"$log" >"$log.txt"
    grep -E '^(ok   |FAIL |== )' "$log.txt" || true
    p=$(grep -c '^ok   ' "$log.txt" || true)
    f=$(grep -c '^FAIL ' "$log.txt" || true)
    if grep -q '^vantrel-kernel-test: done' "$log.txt"; then
        echo "ok   $machine: the boot ran every check ($((SECONDS - start)) s)"
        p=$((p + 1))
    else
        echo "FAIL $machine: the boot did not finish its checks within ${boot_timeout} s; the console is in $log.txt"
        tail -n 20 "$log.txt"
        f=$((f + 1))
    fi
    passed=$((passed + p))
    failed=$((failed + f))
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
