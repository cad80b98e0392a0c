#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Fetches Debian 12's i386 libraries the i686 build links against and runs with (Qt 5, GoogleTest
# and everything they need) and unpacks them into a folder, without touching the machine's own
# apt setup: apt runs on a private i386 index in the cache folder.
#   i386-sysroot.sh [CACHE]   default CACHE: build-i386-cache in the tree
# Leaves CACHE/apt.conf (the private apt setup), CACHE/sysroot (every package unpacked together, for the compiler and QEMU) and
# CACHE/packages/NAME (each package with its control files, for dpkg-shlibdeps). The downloaded
# .deb files stay in CACHE/debs, so a second run fetches only what changed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="$(mkdir -p "${1:-$root/build-i386-cache}" && cd "${1:-$root/build-i386-cache}" && pwd)"

# What the window, the programs and the tests need; apt adds what these depend on. The fonts are
# the package's own dependency: the dialogs' text is measured in them.
wanted=(qtbase5-dev libqt5test5 libgtest-dev libgmock-dev libstdc++6 libc6-dev zlib1g-dev
        fontconfig fonts-liberation)

# Status 75: the mirror would not give them, which CI tells apart from a failure of Vantrel's.
fail() {
    echo "I386 LIBRARIES UNAVAILABLE: $*" >&2
    exit 75
}

mkdir -p "$cache/apt/lists/partial" "$cache/apt/cache/archives/partial" "$cache/apt/parts" \
    "$cache/debs"
cat >"$cache/apt/sources.list" <<'LIST'
deb [arch=i386] http://deb.debian.org/debian bookworm main
deb [arch=i386] http://deb.debian.org/debian bookworm-updates main
deb [arch=i386] http://deb.debian.org/debian-security bookworm-security main
LIST
# The private apt setup, also for checking the i386 package against the index
# (APT_CONFIG=CACHE/apt.conf apt-get ...).
cat >"$cache/apt.conf" <<CONF
Dir::State::Lists "$cache/apt/lists";
Dir::State::Status "/dev/null";
Dir::State::extended_states "$cache/apt/extended_states";
Dir::Cache "$cache/apt/cache";
Dir::Etc::SourceList "$cache/apt/sources.list";
Dir::Etc::SourceParts "$cache/apt/parts";
Dir::Etc::Preferences "/dev/null";
Dir::Etc::PreferencesParts "$cache/apt/parts";
APT::Architecture "i386";
APT::Architectures { "i386"; };
Debug::NoLocking "true";
APT::Sandbox::User "root";
Acquire::Retries "3";
CONF
export APT_CONFIG="$cache/apt.conf"

echo "== Fetching the i386 package index"
# One suite that cannot be had (a mirror mid-sync) is reported and passed over: the packages
# are looked for in what did arrive.
if ! apt-get -q update >"$cache/update.log" 2>&1; then
    grep -E '^(E|W):' "$cache/update.log" >&2 || tail -n 5 "$cache/update.log" >&2
fi
if ! ls "$cache/apt/lists/"*_binary-i386_Packages* >/dev/null 2>&1; then
    fail "no i386 package index could be fetched from deb.debian.org (see $cache/update.log)"
fi

echo "== Resolving the i386 packages"
if ! apt-get -s -q install --no-install-recommends "${wanted[@]}" \
        >"$cache/resolve.log" 2>&1; then
    tail -n 20 "$cache/resolve.log" >&2
    fail "the i386 packages cannot be resolved from the index (see $cache/resolve.log)"
fi
# "Inst NAME (VERSION SUITE [i386])": what a real install would unpack, by name and version.
mapfile -t packages < <(sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p' "$cache/resolve.log" | sort)
[ ${#packages[@]} -gt 0 ] || fail "apt resolved no i386 packages (see $cache/resolve.log)"

echo "== Downloading ${#packages[@]} i386 packages"
needed=()
for p in "${packages[@]}"; do
    name=${p%%=*}
    version=${p#*=}
    file="${name}_${version//:/%3a}_"
    ls "$cache/debs/$file"*.deb >/dev/null 2>&1 || needed+=("$p")
done
if [ ${#needed[@]} -gt 0 ]; then
    if ! (cd "$cache/debs" && apt-get -q download "${needed[@]}") \
            >"$cache/download.log" 2>&1; then
        tail -n 20 "$cache/download.log" >&2
        fail "downloading the i386 packages failed (see $cache/download.log)"
    fi
fi

echo "== Unpacking them into $cache/sysroot"
stamp="$cache/sysroot.list"
printf '%s\n' "${packages[@]}" >"$cache/wanted.list"
if ! cmp -s "$cache/wanted.list" "$stamp"; then
    rm -rf "$cache/sysroot" "$cache/packages" "$stamp"
    mkdir -p "$cache/sysroot" "$cache/packages"
    for p in "${packages[@]}"; do
        name=${p%%=*}
        version=${p#*=}
        deb="$(ls "$cache/debs/${name}_${version//:/%3a}_"*.deb | head -n 1)"
        dpkg-deb -x "$deb" "$cache/packages/$name"
        dpkg-deb -e "$deb" "$cache/packages/$name/DEBIAN"
        cp -al "$cache/packages/$name/." "$cache/sysroot/"
    done
    rm -rf "$cache/sysroot/DEBIAN"
    # Links to absolute paths (libz.so, libm.so, fontconfig's conf.d) point into the build
    # machine's own system; they are made relative, so that they stay within the folder, and a
    # library is not taken from its static archive because its link was broken.
    while IFS= read -r link; do
        target="$(readlink "$link")"
        ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$cache/sysroot$target")" "$link"
    done < <(find "$cache/sysroot" -type l -lname '/*')
    # libc6-dev's libc.so is a linker script naming /usr/lib/i386-linux-gnu/libc.so.6 on the
    # build machine, where there is none; the cross compiler's own libc.so serves instead.
    rm -f "$cache/sysroot/usr/lib/i386-linux-gnu/libc.so"
    # Qt 5's CMake files take moc, rcc and uic from beside its libraries: the build machine's
    # own, whose output is the same for every target.
    mkdir -p "$cache/sysroot/usr/lib/qt5/bin"
    for tool in moc rcc uic qmake; do
        ln -sfn "/usr/lib/qt5/bin/$tool" "$cache/sysroot/usr/lib/qt5/bin/$tool"
    done
    # The links fontconfig-config makes when it is configured with its default answers (slight
    # hinting, no bitmap fonts): without them text is hinted fully and measures wider than on an
    # installed Debian 12.
    # The emulated fontconfig keeps its caches in the build machine's /var/cache/fontconfig and
    # trusts one while its folder's time is unchanged; unpacked folders keep the package's time,
    # so a cache of an earlier sysroot with other fonts would still be taken.
    find "$cache/sysroot/usr/share/fonts" -type d -exec touch {} +
    for conf in 10-hinting-slight.conf 70-no-bitmaps.conf; do
        ln -sfn "../../../usr/share/fontconfig/conf.avail/$conf" \
            "$cache/sysroot/etc/fonts/conf.d/$conf"
    done
    mv "$cache/wanted.list" "$stamp"
fi
echo "i386 libraries ready: ${#packages[@]} packages in $cache/sysroot"
