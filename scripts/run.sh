#!/usr/bin/env bash
# Builds Vantrel's readout and runs it on the simulated board; arguments go to the program
# (e.g. --help). Only the program's own output reaches standard output: set-up and build
# messages go to standard error, and the build log only when the build fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh" run >&2

log="$(mktemp)"
echo "Building vantrel-readout in $root/build ..." >&2
if ! { cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTREL_WERROR=ON -DVANTREL_BUILD_TESTS=OFF &&
       cmake --build "$root/build" -j2 --target vantrel-readout; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "run.sh: the build failed" >&2
    exit 1
fi
rm -f "$log"
exec "$root/build/vantrel-readout" "$@"
