#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds a static vantrelctl for any 32-bit x86 Linux (i686, x87 floating point, no SSE), and
# packs it with its man pages, completions, udev rule, units and a README as
#   dist-out/vantrelctl-VERSION-i686-linux.tar.gz
# (another folder can be given as the first argument). The build tree is build-static-i686/; it
# also holds the kernel boot's test program, tests/kernel/vantrel_kernel_node_check.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/dist-out}" && cd "${1:-$root/dist-out}" && pwd)"
build="$root/build-static-i686"

"$root/scripts/setup-deps.sh" kernel

version="$(sed -n 's/.*kVersionString = "\([^"]*\)".*/\1/p' "$root/res/version_info.h")"
name="vantrelctl-$version-i686-linux"

# zlib, for diagnose to read a kernel's /proc/config.gz, linked in from Debian 12's i386 libraries
# (status 75 when they cannot be fetched). Only its two headers are taken, so that the build
# machine's cross C library is the only one the compiler sees.
cache="${VANTREL_I386_CACHE:-$root/build-i386-cache}"
"$root/scripts/i386-sysroot.sh" "$cache"
mkdir -p "$build/zlib"
cp "$cache/sysroot/usr/include/zlib.h" "$cache/sysroot/usr/include/zconf.h" "$build/zlib/"

# -march=i686 is the Pentium Pro's instruction set: no MMX, no SSE, floating point on the x87.
flags="-march=i686 -mtune=generic -mfpmath=387 -mno-sse -D_FILE_OFFSET_BITS=64"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=i686 \
    -DCMAKE_CXX_COMPILER=i686-linux-gnu-g++ -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_STRIP="$(command -v i686-linux-gnu-strip)" \
    -DVANTREL_STATIC=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_QT=OFF -DVANTREL_WERROR=ON \
    -DZLIB_INCLUDE_DIR="$build/zlib" -DZLIB_LIBRARY="$cache/sysroot/usr/lib/i386-linux-gnu/libz.a" \
    -DCMAKE_INSTALL_PREFIX=/usr/local \
    -DVANTREL_UDEV_DIR:STRING=lib/udev -DVANTREL_SYSTEMD_UNIT_DIR:STRING=lib/systemd/system \
    -DVANTREL_MODULES_LOAD_DIR:STRING=lib/modules-load.d \
    -DVANTREL_BASH_COMPLETION_DIR:STRING=share/bash-completion/completions \
    -DVANTREL_FISH_COMPLETION_DIR:STRING=share/fish/vendor_completions.d >/dev/null
# Only what the tarball and the kernel boot need.
cmake --build "$build" -j2 --target vantrelctl vantrel_kernel_node_check vantrel_man_pages

stage="$build/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --strip >/dev/null
tree="$stage/$name"
mv "$stage/usr/local" "$tree"
# The window is not in this tarball, nor is its page.
rm -f "$tree/share/man/man1/vantrel.1"
cp "$root/dist/static/README" "$tree/README"

bin="$tree/bin/vantrelctl"
if ! file "$bin" | grep -q 'Intel 80386.*statically linked'; then
    echo "FAIL: $bin is not a static i386 program: $(file -b "$bin")" >&2
    exit 1
fi
# The oldest processor it is for runs it: QEMU's Pentium II model refuses every SSE instruction.
if command -v qemu-i386 >/dev/null; then
    qemu-i386 -cpu pentium2 "$bin" --simulate show >/dev/null
fi

tar -C "$stage" --owner=0 --group=0 --numeric-owner -czf "$out/$name.tar.gz" "$name"
echo "Built $out/$name.tar.gz"
