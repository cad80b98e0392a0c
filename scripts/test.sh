#!/usr/bin/env bash
# Builds and runs every test: once plainly, once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the Windows program's, cross-built and run under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh"

echo "== Tests"
"$root/scripts/build.sh" build-test
ctest --test-dir "$root/build-test" --output-on-failure -j2

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j2

# Wine's loader is a 32-bit Linux program; a kernel without IA-32 emulation cannot start it.
# There the Windows program is still cross-built and its imports checked, and the skip is said.
if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1 &&
    [ "${VANTREL_SKIP_WINE:-}" != 0 ]; then
    echo "NOTE: this kernel runs no 32-bit programs, so the Wine tests of vantrel.exe are skipped"
    export VANTREL_SKIP_WINE=1
fi
"$root/scripts/test-windows.sh"
