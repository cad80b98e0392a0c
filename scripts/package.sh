#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package on Debian 12 (installing what the build needs) from a copy of the
# tree in build-deb/, and says where the .deb is. Arguments go to dpkg-buildpackage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"

stage "Checking the packages the package build needs"
"$root/scripts/setup-deps.sh" package

out="$root/build-deb"
package_source "$out"

stage "Building the package (dpkg-buildpackage; its log is $out/build.log)"
if ! (cd "$src" && DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=2}" \
        logged "$out/build.log" dpkg-buildpackage -us -uc -b "$@"); then
    echo "The package build failed" >&2
    exit 1
fi
deb="$(ls "$out"/vantrel_"$version"_*.deb)"
echo "Built $deb"
echo "Install it with: sudo apt install $deb"
