#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Vantrel and starts the desktop program on the simulated board; arguments go to the
# program (e.g. --simulate=dividers=4/3 or --help). Without a display ($DISPLAY and
# $WAYLAND_DISPLAY unset) it renders the dialog to build/vantrel.png instead and says how to
# start it with one. Set-up and build messages go to standard error, the whole build log only
# when the build fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib.sh"
"$root/scripts/setup-deps.sh" run >&2

log="$(mktemp)"
stage "Building vantrel and vantrelctl in $root/build (a few minutes the first time)"
if ! logged "$log" cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTREL_WERROR=ON -DVANTREL_BUILD_TESTS=OFF ||
   ! logged "$log" cmake --build "$root/build" -j2 --target vantrel vantrelctl; then
    echo "run.sh: the build failed" >&2
    exit 1
fi
rm -f "$log"

# --help and --version only print.
for arg in "$@"; do
    case "$arg" in
        -h | --help | --version) exec "$root/build/vantrel" "$@" ;;
    esac
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    picture="$root/build/vantrel.png"
    "$root/build/vantrel" --simulate "$@" --screenshot "$picture"
    cat >&2 <<END
run.sh: there is no display (\$DISPLAY and \$WAYLAND_DISPLAY are unset), so the dialog was
rendered as it opens to $picture (the caution notice, when it is due, to
${picture%.png}-caution.png). To use the program, start it where there is a display:
    bash scripts/run.sh
or, once built:
    $root/build/vantrel --simulate
END
    exit 0
fi
exec "$root/build/vantrel" --simulate "$@"
