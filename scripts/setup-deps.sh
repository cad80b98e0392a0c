#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel needs, only when one is missing:
#   setup-deps.sh run       what building and running the programs needs
#   setup-deps.sh package   what building the Debian package needs (scripts/package.sh)
#   setup-deps.sh i386      what the i686 build, its tests under QEMU and its package need
#   setup-deps.sh           what building and running need, and what the tests need
set -euo pipefail

run_packages=(cmake ninja-build g++ qt6-base-dev fonts-liberation)
test_packages=(libgtest-dev libgmock-dev googletest python3)
# The man pages, and the check that they and the bash completion match --help.
test_packages+=(scdoc bash-completion)
# The fuzz targets: clang with its libFuzzer runtime.
test_packages+=(clang libclang-rt-14-dev)
# The Windows 95/98 program: MinGW-w64 for i686 with the win32 thread model, and 32-bit Wine on
# a virtual X display for its tests; for a kernel that runs no 32-bit programs, 64-bit Wine and
# MinGW-w64 for x86_64, for the 64-bit check build.
test_packages+=(g++-mingw-w64-i686-win32 wine wine32:i386 xvfb xauth)
test_packages+=(wine64 g++-mingw-w64-x86-64-win32)

package_packages=(build-essential debhelper dpkg-dev fakeroot cmake pkg-config python3
                  qt6-base-dev scdoc systemd udev bash-completion)

# The i686 build: the cross compiler and its binutils, QEMU's user-mode emulator, and Qt 5's
# moc, rcc and uic for the build machine; the i386 libraries are fetched by i386-sysroot.sh.
i386_packages=(cmake ninja-build g++-i686-linux-gnu binutils-i686-linux-gnu qemu-user
               qtbase5-dev-tools python3 file build-essential debhelper dpkg-dev fakeroot
               pkg-config scdoc systemd udev bash-completion lintian)

case "${1:-all}" in
    run) packages=("${run_packages[@]}") ;;
    package) packages=("${package_packages[@]}") ;;
    i386) packages=("${i386_packages[@]}") ;;
    *) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

