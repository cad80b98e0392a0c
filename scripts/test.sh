#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the programs as a Release build; builds and runs every test: once plainly, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then each fuzz target for a short run; then
# the Windows program's, cross-built and run under Wine. Every build treats warnings as errors.
# The last lines say which Wine ran the Windows tests.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"
stage "Checking the packages the build and the tests need"
"$root/scripts/setup-deps.sh"

# The programs as a Release build, as a packager's or a user's first build is, so that a warning
# only the highest optimisation shows cannot come back; warnings are errors here.
stage "The programs: building (Release)"
"$root/scripts/build.sh" build-release -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF

stage "Tests: building"
"$root/scripts/build.sh" build-test
stage "Tests: running"
ctest --test-dir "$root/build-test" --output-on-failure -j2

stage "Tests under AddressSanitizer and UndefinedBehaviorSanitizer: building"
"$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON
stage "Tests under AddressSanitizer and UndefinedBehaviorSanitizer: running"
# The unit tests in one process: a sanitized process takes about a second to start and end,
# which over a thousand ctest runs would be the longest stage of all.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan/tests" && ./vantrel_tests --gtest_brief=1)
ctest --test-dir "$root/build-asan" --output-on-failure -j2 -LE '^unit$'
unset ASAN_OPTIONS UBSAN_OPTIONS

stage "Fuzz targets, a short run each"
"$root/scripts/fuzz.sh" 10

stage "The Windows program"
"$root/scripts/test-windows.sh"

echo
echo "All tests passed. Windows tests: $(cat "$root/build-win/wine-used.txt")"
