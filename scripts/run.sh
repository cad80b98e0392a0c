#!/usr/bin/env bash
# Builds vantrelctl and runs it on the simulated board: with no arguments `show`, else the
# arguments given (a --simulate of their own sets the board up; without one the default board
# is used). Only the program's own output reaches standard output: set-up and build messages go
# to standard error, and the build log only when the build fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh" run >&2

log="$(mktemp)"
echo "Building vantrelctl in $root/build ..." >&2
if ! { cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTREL_WERROR=ON -DVANTREL_BUILD_TESTS=OFF &&
       cmake --build "$root/build" -j2 --target vantrelctl; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "run.sh: the build failed" >&2
    exit 1
fi
rm -f "$log"

args=("$@")
if [ ${#args[@]} -eq 0 ]; then
    args=(show)
fi
simulated=no
for arg in "${args[@]}"; do
    case "$arg" in
        --simulate | --simulate=*) simulated=yes ;;
    esac
done
if [ "$simulated" = no ]; then
    args=(--simulate "${args[@]}")
fi
exec "$root/build/vantrelctl" "${args[@]}"
