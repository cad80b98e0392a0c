#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds and runs every test: once plainly, once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then each fuzz target for a short run; then the Windows
# program's, cross-built and run under Wine.
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

echo "== Fuzz targets, a short run each"
"$root/scripts/fuzz.sh" 10

"$root/scripts/test-windows.sh"
