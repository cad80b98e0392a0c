#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the i386 Debian package on an amd64 Debian 12 machine and checks what can be checked
# there: vantrel_VERSION_i386.deb in build-deb-i386/, both programs built for i686 with x87
# floating point and no SSE, the window on Qt 5 (Debian 12's i386 Qt 6 requires SSE2), `Depends`
# computed from Debian 12's i386 libraries. Then lintian, its contents beside the amd64
# package's, its Depends against the i386 index, and its programs run from the unpacked package
# under QEMU: the window renders its screenshot on the Pentium II model, vantrelctl runs on the
# simulated board; then the static command line's tarball (scripts/build-static-i686.sh). Ends
# with "N passed, N failed" and exits non-zero when anything failed.
# Arguments go to dpkg-buildpackage.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"
cache="${VANTREL_I386_CACHE:-$root/build-i386-cache}"

"$root/scripts/setup-deps.sh" i386 || exit 1
"$root/scripts/i386-sysroot.sh" "$cache" || exit $?
sysroot="$cache/sysroot"

out="$root/build-deb-i386"
package_source "$out"

# dpkg-shlibdeps finds each library in the unpacked package that holds it, and that package's
# symbols or shlibs file says what to depend on.
shlibdeps=()
for dir in "$cache"/packages/*/; do
    if [ -e "$dir/DEBIAN/symbols" ] || [ -e "$dir/DEBIAN/shlibs" ]; then
        shlibdeps+=("-S${dir%/}")
    fi
done

echo "== Building vantrel $version for i386"
log="$out/build.log"
if ! (cd "$src" && DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=2} nocheck" \
        VANTREL_CMAKE_OPTIONS="-DCMAKE_TOOLCHAIN_FILE=$root/cmake/i686-linux-gnu.cmake -DVANTREL_I386_SYSROOT=$sysroot -DVANTREL_QT=5" \
        VANTREL_SHLIBDEPS_OPTIONS="${shlibdeps[*]}" \
        dpkg-buildpackage -ai386 -d -us -uc -b "$@") >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "The i386 package build failed; the whole log is $log" >&2
    exit 1
fi
deb="$out/vantrel_${version}_i386.deb"
echo "Built $deb"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "== Checking $deb"
check "lintian --fail-on error,warning" lintian --fail-on error,warning "$deb"

# The files, without the architecture, as the amd64 package has them.
contents() {
    dpkg-deb -c "$1" | awk '{print $6}' | sed 's/x86_64-linux-gnu/MULTIARCH/; s/i386-linux-gnu/MULTIARCH/' |
        sort
}
amd64_deb="$root/build-deb/vantrel_${version}_amd64.deb"
if [ -f "$amd64_deb" ]; then
    check "the same files as $(basename "$amd64_deb")" \
        diff -u <(contents "$amd64_deb") <(contents "$deb")
else
    echo "(no amd64 package in build-deb/ to compare the files with: scripts/package.sh makes it)"
fi
dpkg-deb -x "$deb" "$work/root"
elf_i386() {
    local program
    for program in "$@"; do
        file -L "$program" | grep -q "ELF 32-bit LSB pie executable, Intel 80386" ||
            { file -L "$program"; return 1; }
    done
}
check "both programs are i386 executables" elf_i386 "$work/root/usr/bin/vantrel" \
    "$work/root/usr/bin/vantrelctl"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
qt5_depends() {
    grep -q "libqt5widgets5" <<<"$depends" && grep -q "libc6" <<<"$depends" &&
        ! grep -q "libqt6" <<<"$depends"
}
check "Depends names Qt 5 and glibc, not Qt 6" qt5_depends
# What apt would install on a Debian 12 i386 machine, from the i386 index alone.
check "Depends can be met from Debian 12 i386" env APT_CONFIG="$cache/apt.conf" \
    apt-get -s -q install "$deb"

emulate() {
    qemu-i386 -cpu "$1" -L "$sysroot" "${@:2}"
}
check "vantrelctl show on the simulated board (Pentium III)" \
    emulate pentium3 "$work/root/usr/bin/vantrelctl" --simulate=pauses=instant show
check "vantrelctl set --cpu-ext 140 on the simulated board (Pentium II)" \
    emulate pentium2 "$work/root/usr/bin/vantrelctl" --simulate=pauses=instant -y set --cpu-ext 140
check "vantrel --screenshot on the simulated board (Pentium II)" env QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$work/config" qemu-i386 -cpu pentium2 -L "$sysroot" \
    "$work/root/usr/bin/vantrel" --simulate=pauses=instant --screenshot "$work/vantrel.png"
check "the screenshot is a PNG" bash -c "file '$work/vantrel.png' | grep -q 'PNG image'"

echo "== The static command line for other 32-bit distributions"
check "vantrelctl-$version-i686-linux.tar.gz" bash "$root/scripts/build-static-i686.sh"

check_summary
