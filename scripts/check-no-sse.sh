#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Scans the disassembly of every object file the project compiled in an i686 build tree for SSE
# instructions of any generation: an XMM or MMX register, or one of the SSE instructions that
# name none (fences, cache control, non-temporal stores, prefetches, MXCSR). QEMU's Pentium III
# model executes SSE2, so running there proves nothing; this does. Checks first, on a small
# function built with SSE2, that the scan finds what it looks for.
#   check-no-sse.sh BUILD-DIR
set -euo pipefail
build="$1"
objdump=i686-linux-gnu-objdump
pattern='%[xyz]?mm[0-9]|\b(sfence|lfence|mfence|clflush|movnti|movntq|maskmovq|prefetch(nta|t[012])|ldmxcsr|stmxcsr)\b'

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf 'double scale(double x, double y) { return x * y + 1.0; }\n' >"$work/sample.c"
i686-linux-gnu-gcc -O2 -msse2 -mfpmath=sse -c "$work/sample.c" -o "$work/sample.o"
"$objdump" -d --no-show-raw-insn "$work/sample.o" >"$work/sample.s"
if ! grep -qE "$pattern" "$work/sample.s"; then
    echo "The scan does not find the SSE2 code of a sample built for SSE2" >&2
    exit 1
fi

mapfile -t objects < <(find "$build" -name '*.o' -path '*/CMakeFiles/*' | sort)
if [ ${#objects[@]} -eq 0 ]; then
    echo "No object files in $build" >&2
    exit 1
fi
"$objdump" -d --no-show-raw-insn "${objects[@]}" >"$work/disassembly"
if grep -nE "$pattern" "$work/disassembly" >"$work/found"; then
    echo "SSE instructions in the i386 code:" >&2
    head -n 20 "$work/found" >&2
    exit 1
fi
echo "No SSE instruction in ${#objects[@]} object files"
