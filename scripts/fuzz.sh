#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the libFuzzer targets of tests/fuzz with clang, under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS from its seed corpus
# (tests/fuzz/corpus/TARGET). When one crashes, the run fails and says where the input that
# crashed it is kept (build-fuzz/findings/); keep it as a regression test once it is fixed.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default 10 s each, every target; CI runs the
#                                             default, by hand e.g. scripts/fuzz.sh 600)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"
shift || true
"$root/scripts/setup-deps.sh"

build="$root/build-fuzz"
CC=clang CXX=clang++ cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON -DVANTREL_BUILD_QT=OFF \
    -DVANTREL_BUILD_TESTS=OFF -DVANTREL_WERROR=ON >/dev/null
cmake --build "$build" -j2

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$root"/tests/fuzz/*_fuzz.cpp; do
        name="$(basename "$f" _fuzz.cpp)"
        targets+=("$name")
    done
fi

mkdir -p "$build/findings"
passed=0
failed=0
for t in "${targets[@]}"; do
    # The seeds stay as they are; what the run adds goes to a corpus of the build's own.
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    log="$build/findings/$t.log"
    if "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
        "$corpus" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        echo "ok   fuzz $t: ${runs:-?} runs in $seconds s"
        passed=$((passed + 1))
    else
        echo "FAIL fuzz $t: it crashed; the input is kept as $(ls -t "$build/findings/$t-"* 2>/dev/null | head -1)"
        grep -m1 -E "fuzz check failed|ERROR: |runtime error" "$log" || tail -5 "$log"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
