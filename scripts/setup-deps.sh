#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the Debian 12 packages Vantrel needs, only when one is missing:
#   setup-deps.sh run       what building and running the programs needs
#   setup-deps.sh package   what building the Debian package needs (scripts/package.sh)
#   setup-deps.sh check     what checking the installed package needs (scripts/check-package.sh)
#   setup-deps.sh kernel    the static i686 vantrelctl and its test in a booted 686 kernel
#   setup-deps.sh i386      what the i686 build, its tests under QEMU and its package need
#   setup-deps.sh           what building and running need, and what the tests need
# A package index that cannot be fetched (a mirror mid-sync) is not fatal by itself: the script
# fails only when a needed package cannot be installed, and names it. 32-bit Wine is wanted only
# where the kernel runs 32-bit programs, and its absence is reported, not fatal: the Windows tests
# then run on the 64-bit check build under 64-bit Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"

run_packages=(cmake ninja-build g++ qt6-base-dev zlib1g-dev fonts-liberation)
test_packages=(libgtest-dev libgmock-dev googletest python3)
# The man pages, and the check that they and the bash completion match --help.
test_packages+=(scdoc bash-completion)
# The fuzz targets: clang with its libFuzzer runtime.
test_packages+=(clang libclang-rt-14-dev)
# The Windows 95/98 program: MinGW-w64 for i686 with the win32 thread model and Wine on a virtual
# X display for its tests; 64-bit Wine and MinGW-w64 for x86_64 for the 64-bit check build, which
# runs where 32-bit Wine cannot.
test_packages+=(g++-mingw-w64-i686-win32 wine wine64 xvfb xauth g++-mingw-w64-x86-64-win32)
wine32_package="wine32:i386"

package_packages=(build-essential debhelper dpkg-dev fakeroot cmake pkg-config python3
                  qt6-base-dev zlib1g-dev scdoc systemd udev bash-completion)
check_packages=(lintian desktop-file-utils appstream mandoc libxml2-utils systemd man-db
                bash-completion polkitd)

# scripts/build-static-i686.sh and scripts/test-kernel.sh: the i686 cross compiler with its static
# C library, QEMU's PC emulators, and cpio for the initramfs.
kernel_packages=(cmake ninja-build g++-i686-linux-gnu scdoc python3 file qemu-user
                 qemu-system-x86 cpio)

# The i686 build: the cross compiler and its binutils, QEMU's user-mode emulator, and Qt 5's
# moc, rcc and uic for the build machine; the i386 libraries are fetched by i386-sysroot.sh.
i386_packages=(cmake ninja-build g++-i686-linux-gnu binutils-i686-linux-gnu qemu-user
               qtbase5-dev-tools python3 file build-essential debhelper dpkg-dev fakeroot
               pkg-config scdoc systemd udev bash-completion lintian)

want_wine32=0
case "${1:-all}" in
    run) packages=("${run_packages[@]}") ;;
    kernel) packages=("${kernel_packages[@]}") ;;
    package) packages=("${package_packages[@]}") ;;
    i386) packages=("${i386_packages[@]}") ;;
    check) packages=("${check_packages[@]}") ;;
    all) packages=("${run_packages[@]}" "${test_packages[@]}"); want_wine32=1 ;;
    *) echo "setup-deps.sh: unknown set '$1' (run, package, check, kernel, i386 or none)" >&2; exit 2 ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
# Retries for a flaky mirror; a wait, not a failure, while another apt (unattended-upgrades) runs.
apt_options=(-o Acquire::Retries=3 -o DPkg::Lock::Timeout=600)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# update: fetches the package indexes. An index that fails (a mirror mid-sync, a source that is
# down) is reported and left behind; whether that matters shows when the packages are installed.
update() {
    local log
    log="$(mktemp)"
    $sudo apt-get "${apt_options[@]}" update >"$log" 2>&1 || true
    if grep -qE '^(E|W): (Failed to fetch|Some index files)' "$log"; then
        echo "setup-deps.sh: some package indexes could not be fetched; going on with the others:" >&2
        grep -E '^(E|W):' "$log" | sed 's/^/    /' >&2
    fi
    rm -f "$log"
}

# install PACKAGE...: installs them; when that fails, says which of them cannot be installed
# and apt's reason for each, and fails.
install() {
    if DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_options[@]}" install -y \
        --no-install-recommends "$@"; then
        return 0
    fi
    echo "setup-deps.sh: FAILED to install the packages Vantrel needs. The ones that cannot be installed:" >&2
    local p reason
    for p in "$@"; do
        if ! reason="$(DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_options[@]}" install -s \
                --no-install-recommends "$p" 2>&1)"; then
            echo "    $p: $(grep -E '^E:|Depends:|Breaks:' <<<"$reason" | head -n 3 | tr '\n' ' ')" >&2
        fi
    done
    return 1
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    stage "Installing packages: ${missing[*]}"
    update
    install "${missing[@]}"
fi

if [ "$want_wine32" = 1 ] && ! installed "$wine32_package"; then
    if ! kernel_runs_i386; then
        echo "setup-deps.sh: this kernel runs no 32-bit programs, so 32-bit Wine ($wine32_package) is not installed;" >&2
        echo "    the Windows tests run on the 64-bit check build under 64-bit Wine." >&2
    else
        stage "Installing 32-bit Wine ($wine32_package)"
        added_i386=0
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            $sudo dpkg --add-architecture i386
            added_i386=1
        fi
        update
        log="$(mktemp)"
        if DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_options[@]}" install -y \
            --no-install-recommends "$wine32_package" >"$log" 2>&1; then
            echo "setup-deps.sh: installed $wine32_package" >&2
        else
            reason="$(grep -E '^E:' "$log" | head -n 2 | tr '\n' ' ')"
            # An architecture that brought nothing would only make every later index fetch longer
            # and, while its mirror is mid-sync, fail.
            if [ "$added_i386" = 1 ]; then
                $sudo dpkg --remove-architecture i386 2>/dev/null || true
                $sudo apt-get "${apt_options[@]}" update >/dev/null 2>&1 || true
            fi
            echo "##############################################################################" >&2
            echo "WARNING: 32-bit Wine ($wine32_package) could not be installed: ${reason:-see the output above}" >&2
            echo "WARNING: the Windows tests therefore run on the 64-bit check build under 64-bit Wine." >&2
            echo "##############################################################################" >&2
        fi
        rm -f "$log"
    fi
fi
