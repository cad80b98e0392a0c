#!/usr/bin/env bash
# The Windows 95/98 program's tests: cross-builds vantrel.exe and the driver with MinGW-w64,
# checks vantrel.exe's imports and header against the Windows 95/98 list, then runs the driver
# under Wine, headless, in a fresh 32-bit prefix that reports Windows 98. The driver acts as the
# user and prints one line per check; this script fails when any check fails.
#   scripts/test-windows.sh [BUILD_DIR]     (default build-win)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${1:-build-win}"

echo "== Windows: cross-build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
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
    exit 0
fi

# Wine's loader is a 32-bit Linux program: the kernel must run 32-bit programs (IA-32
# emulation). Emulating it with qemu-i386 is no way out: Wine's secondary threads, and with
# them its desktop process, crash there.
WINE_CMD=/usr/lib/wine/wine
WINESERVER_CMD=/usr/lib/wine/wineserver
if ! "$WINE_CMD" --version >/dev/null 2>&1; then
    if [ -x "$WINE_CMD" ] && [ "$(uname -m)" = x86_64 ]; then
        echo "FAIL Wine cannot run here: this kernel runs no 32-bit programs (no IA-32 emulation)."
        echo "     Run the Wine tests on a machine that does, or set VANTREL_SKIP_WINE=1 to skip them."
    else
        echo "FAIL Wine cannot run here: $WINE_CMD does not start (is wine32:i386 installed?)"
    fi
    exit 1
fi
export WINE_CMD WINESERVER_CMD
export WINEARCH=win32 WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

cp "$build/vantrel.exe" "$build/driver.exe" "$work/"
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
    "$WINE_CMD" "$0" "$1" 2>/dev/null
' "$work/driver.exe" "$exe" | tee "$work/driver.log"

summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$work/driver.log" | tail -1 || true)"
if [ -z "$summary" ]; then
    echo "FAIL the driver did not finish"
    exit 1
fi
if ! grep -q ' 0 failed$' <<<"$summary"; then
    exit 1
fi
