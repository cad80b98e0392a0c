#!/usr/bin/env bash
# Builds the Debian package on Debian 12 (installing what the build needs) from a copy of the
# tree in build-deb/, and says where the .deb is. Arguments go to dpkg-buildpackage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

packages=(build-essential debhelper dpkg-dev fakeroot cmake pkg-config python3 qt6-base-dev
          scdoc systemd udev bash-completion)
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
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
out="$root/build-deb"
src="$out/vantrel-$version"
rm -rf "$out"
mkdir -p "$src"
# A copy without the build trees, so that dpkg-buildpackage's files land in build-deb/.
tar -C "$root" --exclude=./.git --exclude='./build*' --exclude='./obj-*' -cf - . | tar -C "$src" -xf -

log="$out/build.log"
if ! (cd "$src" && DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=2}" \
        dpkg-buildpackage -us -uc -b "$@") >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "The package build failed; the whole log is $log" >&2
    exit 1
fi
deb="$(ls "$out"/vantrel_"$version"_*.deb)"
echo "Built $deb"
echo "Install it with: sudo apt install $deb"
