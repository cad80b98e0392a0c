#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The i686 build and its tests, on an amd64 machine: Debian 12's i386 libraries fetched into a
# cache folder, the programs and every test cross-built with x87 floating point and no SSE, the
# unit and window tests run under QEMU's Pentium III model, the programs and the unit tests again
# under its Pentium II model (which refuses every SSE instruction), and the disassembly of the
# project's own i386 code scanned for SSE instructions.
#   test-i386.sh [BUILD-DIR]   default build-i386; the cache is build-i386-cache
# The window's tests that start the program with QProcess run only on amd64: QEMU's user mode
# refuses the clone flags Qt starts a process with.
# Ends with "i386: N stages passed, N failed" and exits non-zero when a stage failed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${1:-build-i386}"
cache="${VANTREL_I386_CACHE:-$root/build-i386-cache}"
sysroot="$cache/sysroot"

passed=0
failed=0
stage() {
    echo "== $*"
}
result() {
    if [ "$1" -eq 0 ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: $2"
        failed=$((failed + 1))
    fi
}
finish() {
    echo "i386: $passed stages passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

stage "Installing the cross compiler, QEMU and binutils"
"$root/scripts/setup-deps.sh" i386
result $? "installing the build machine's tools"

stage "Fetching Debian 12's i386 libraries"
"$root/scripts/i386-sysroot.sh" "$cache"
status=$?
result $status "fetching the i386 libraries"
if [ $status -eq 75 ]; then
    echo "i386: $passed stages passed, $failed failed"
    exit 75
fi
[ $status -eq 0 ] || finish

stage "Cross-building for i686 (Qt 5, x87, no SSE)"
"$root/scripts/build-i386.sh" "$build" "$sysroot"
status=$?
result $status "the i686 build"
[ $status -eq 0 ] || finish

emulate() {
    qemu-i386 -cpu "$1" -L "$sysroot" "${@:2}"
}

# The unit tests as one process: one QEMU start instead of one per test case. The window's
# tests through ctest, but for qt.ProgramTest (see above).
stage "Unit tests under qemu-i386 -cpu pentium3"
emulate pentium3 "$build/tests/vantrel_tests" --gtest_brief=1 >"$build/unit-pentium3.log" 2>&1
status=$?
[ $status -eq 0 ] || grep -B 2 -A 20 -E '^\[  FAILED' "$build/unit-pentium3.log" | head -n 80
tail -n 1 "$build/unit-pentium3.log"
result $status "the unit tests under the Pentium III model"

stage "Window tests under qemu-i386 -cpu pentium3"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -j2 --output-on-failure -R '^qt\.' \
    -E '^qt\.ProgramTest$' --timeout 600 >"$build/qt-pentium3.log" 2>&1
status=$?
[ $status -eq 0 ] || cat "$build/qt-pentium3.log"
grep -E 'tests passed' "$build/qt-pentium3.log"
result $status "the window tests under the Pentium III model"

stage "No SSE: the unit tests, vantrelctl and the window under qemu-i386 -cpu pentium2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
emulate pentium2 "$build/tests/vantrel_tests" --gtest_brief=1 >"$work/unit.log" 2>&1 ||
    { tail -n 30 "$work/unit.log"; status=1; }
tail -n 1 "$work/unit.log"
emulate pentium2 "$build/vantrelctl" --simulate=pauses=instant show >"$work/show.log" 2>&1 &&
    grep -q "CPU external" "$work/show.log" || { cat "$work/show.log"; status=1; }
emulate pentium2 "$build/vantrelctl" --simulate=pauses=instant -y set --cpu-ext 140 \
    >"$work/set.log" 2>&1 || { cat "$work/set.log"; status=1; }
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" emulate pentium2 "$build/vantrel" \
    --simulate=pauses=instant --screenshot "$work/vantrel.png" >"$work/window.log" 2>&1 &&
    file "$work/vantrel.png" | grep -q "PNG image" || { cat "$work/window.log"; status=1; }
result $status "running without SSE"

stage "No SSE instruction in the project's own i386 code"
"$root/scripts/check-no-sse.sh" "$build"
result $? "the disassembly scan"

finish
