#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Configures and builds the i686 tree: the programs and the tests with Qt 5, x87 floating point
# and no SSE, cross-compiled against the i386 libraries scripts/i386-sysroot.sh unpacked. The
# package's optimisation without its debugging information, which would only slow the build.
#   build-i386.sh BUILD-DIR SYSROOT [extra cmake options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
sysroot="$(cd "$2" && pwd)"
shift 2
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-linux-gnu.cmake" -DVANTREL_I386_SYSROOT="$sysroot" \
    -DVANTREL_QT=5 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" "$@" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j2
