#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Windows 95/98 program's tests: cross-builds vantrel.exe and the driver with MinGW-w64,
# checks vantrel.exe's imports and header against the Windows 95/98 list, then runs the driver
# under Wine, headless, in a fresh prefix that reports Windows 98. The driver acts as the user
# and prints one line per check; this script fails when any check fails.
#
# Wine's 32-bit loader needs a kernel that runs 32-bit programs (IA-32 emulation). Where the
# kernel runs none, the driver runs against the 64-bit check build of the same sources under
# 64-bit Wine instead (cmake/mingw-x86_64-check.cmake): everything but the 32-bit assembly. Wine
# emulated by qemu-i386 is no way out: Wine's secondary threads, and with them its desktop
# process, crash there.
#   scripts/test-windows.sh [BUILD_DIR]     (default build-win; the check build goes to
#                                            BUILD_DIR64)
# VANTREL_WINE_GROUPS="refused instance" runs only those groups of the driver (tests/win32).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"
build="$root/${1:-build-win}"

echo "== Windows: cross-build"
cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DVANTREL_WERROR=ON >/dev/null
cmake --build "$build" -j2
echo "vantrel.exe: $(stat -c %s "$build/vantrel.exe") bytes"

echo "== Windows: Windows 95/98 imports and header"
bash "$root/scripts/check-win98-imports.sh" "$build/vantrel.exe" GUI
# The streams and locales would multiply the program's size; the link map names every library
# member that went into it.
streams="$(grep -oE 'libstdc\+\+\.a\((ios|ios_init|locale|locale_init|istream|ostream|sstream|fstream|iostream)[a-z_-]*\.o\)' \
    "$build/win32/vantrel.map" | sort -u || true)"
if [ -n "$streams" ]; then
    echo "FAIL vantrel.exe links iostreams:" $streams
    exit 1
fi
echo "ok   vantrel.exe links no iostreams"

"$root/scripts/package-windows.sh" "${1:-build-win}"

echo "== Windows: the program under Wine"
work="$(mktemp -d)"
cleanup() {
    if [ -n "${WINESERVER_CMD:-}" ]; then
        WINEPREFIX="$work/prefix" "$WINESERVER_CMD" -k >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if [ "${VANTREL_SKIP_WINE:-0}" = 1 ]; then
    echo "SKIPPED the Wine tests (VANTREL_SKIP_WINE=1): vantrel.exe was built and its imports checked,"
    echo "        but not run"
    echo "no Wine (VANTREL_SKIP_WINE=1)" >"$build/wine-used.txt"
    exit 0
fi

# VANTREL_WINE_ARCH=64 takes the 64-bit check build even where 32-bit Wine runs, so that one
# machine can try both. Which Wine ran, and why not the 32-bit one, goes to $build/wine-used.txt,
# for the last lines of scripts/test.sh and CI.
used="$build/wine-used.txt"
rm -f "$used"
if [ "${VANTREL_WINE_ARCH:-}" != 64 ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE_CMD=/usr/lib/wine/wine
    WINESERVER_CMD=/usr/lib/wine/wineserver
    export WINEARCH=win32
    tested="$build"
    wine_used="32-bit Wine, on vantrel.exe itself"
elif /usr/lib/wine/wine64 --version >/dev/null 2>&1 && command -v x86_64-w64-mingw32-g++-win32 >/dev/null; then
    if [ "${VANTREL_WINE_ARCH:-}" = 64 ]; then
        why="VANTREL_WINE_ARCH=64 asked for it"
    elif ! kernel_runs_i386; then
        why="this kernel runs no 32-bit programs"
    elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
        why="32-bit Wine (wine32:i386) could not be installed"
    else
        why="32-bit Wine is installed but does not start"
    fi
    echo "No 32-bit Wine ($why): the driver runs against the 64-bit check build of the"
    echo "same sources under 64-bit Wine (its 32-bit assembly is not run)."
    tested="${build}64"
    cmake --no-warn-unused-cli -S "$root" -B "$tested" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64-check.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DVANTREL_WERROR=ON >/dev/null
    cmake --build "$tested" -j2
    WINE_CMD=/usr/lib/wine/wine64
    WINESERVER_CMD=/usr/lib/wine/wineserver64
    export WINEARCH=win64
    wine_used="64-bit Wine, on the 64-bit check build ($why)"
else
    echo "FAIL Wine cannot run here: neither /usr/lib/wine/wine (wine32:i386, which needs a kernel"
    echo "     that runs 32-bit programs) nor /usr/lib/wine/wine64 (with x86_64 MinGW-w64) starts."
    echo "     Set VANTREL_SKIP_WINE=1 to skip the Wine tests."
    exit 1
fi
export WINE_CMD WINESERVER_CMD
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
cp "$tested/vantrel.exe" "$tested/driver.exe" "$work/"
exe="Z:$(sed 's|/|\\|g' <<<"$work/vantrel.exe")"

# One X server. The prefix is made once and set to report Windows 98 and to put every program
# in a virtual desktop, so that hiding a window never waits for a window manager; the desktop
# setting counts from the next Wine session, in which the driver runs.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    "$WINESERVER_CMD" -p
    start=$(date +%s)
    "$WINE_CMD" wineboot -i >/dev/null 2>&1
    "$WINE_CMD" reg add "HKCU\\Software\\Wine" /v Version /d win98 /f >/dev/null 2>&1
    "$WINE_CMD" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE_CMD" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768 /f \
        >/dev/null 2>&1
    "$WINESERVER_CMD" -k || true
    "$WINESERVER_CMD" -w
    echo "(prefix made in $(( $(date +%s) - start )) s)"
    "$WINE_CMD" "$0" "$@" 2>/dev/null
' "$work/driver.exe" "$exe" ${VANTREL_WINE_GROUPS:-} | tr -d '\r' | tee "$work/driver.log"

# VANTREL_PICTURE=FILE.png keeps the driver's picture of the main dialog (docs/ has one).
if [ -n "${VANTREL_PICTURE:-}" ] && [ -f "$work/vantrel-win98.bmp" ]; then
    python3 "$root/scripts/bmp-to-png.py" "$work/vantrel-win98.bmp" "$VANTREL_PICTURE"
    echo "picture: $VANTREL_PICTURE"
fi

summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$work/driver.log" | tail -1 || true)"
if [ -z "$summary" ]; then
    echo "FAIL the driver did not finish"
    echo "$wine_used: the driver did not finish" >"$used"
    exit 1
fi
echo "$wine_used: $summary" >"$used"
echo "Windows tests ran under $wine_used"
if ! grep -q ' 0 failed$' <<<"$summary"; then
    exit 1
fi
