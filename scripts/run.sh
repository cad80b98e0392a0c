#!/usr/bin/env bash
# Builds Vantrel and runs it on the simulated board.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" build -DVANTREL_BUILD_TESTS=OFF
exec "$root/build/vantrel-readout" "$@"
