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

echo "== Windows: the program under Wine"
work="$(mktemp -d)"
cleanup() {
    if [ -n "${WINESERVER_CMD:-}" ]; then
        WINEPREFIX="$work/prefix" "$WINESERVER_CMD" -k >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Wine's loader is a 32-bit Linux program. Where the kernel runs none (no IA-32 emulation), it
# runs under qemu-i386 instead, through wrappers that Wine finds beside its loader: far slower,
# but the same Wine.
wine_dir=/usr/lib/wine
if "$wine_dir/wine" --version >/dev/null 2>&1; then
    WINE_CMD="$wine_dir/wine"
    WINESERVER_CMD="$wine_dir/wineserver"
elif command -v qemu-i386 >/dev/null && qemu-i386 "$wine_dir/wine" --version >/dev/null 2>&1; then
    echo "(this kernel runs no 32-bit programs: Wine runs under qemu-i386, which is slow)"
    shim="$work/wine-bin"
    mkdir -p "$shim/lib/wine"
    ln -s /usr/lib/i386-linux-gnu "$shim/lib/i386-linux-gnu"
    ln -s /usr/share "$shim/share"
    cp "$wine_dir/wine" "$shim/lib/wine/wine.bin"
    printf '#!/bin/sh\nexec qemu-i386 "%s" "$@"\n' "$shim/lib/wine/wine.bin" >"$shim/lib/wine/wine"
    printf '#!/bin/sh\nexec qemu-i386 "$@"\n' >"$shim/lib/wine/wine-preloader"
    printf '#!/bin/sh\nexec qemu-i386 "%s" "$@"\n' "$wine_dir/wineserver32" \
        >"$shim/lib/wine/wineserver"
    chmod +x "$shim/lib/wine/wine" "$shim/lib/wine/wine-preloader" "$shim/lib/wine/wineserver"
    WINE_CMD="$shim/lib/wine/wine"
    WINESERVER_CMD="$shim/lib/wine/wineserver"
    export WINELOADER="$WINE_CMD" WINESERVER="$WINESERVER_CMD" WINELOADERNOEXEC=1
else
    echo "FAIL Wine cannot run here: $wine_dir/wine does not start (is wine32:i386 installed?)"
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
