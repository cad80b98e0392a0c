# SPDX-License-Identifier: GPL-2.0-or-later
# Shell functions the project's scripts share; source it, do not run it.

# stage TEXT: says on standard error which stage starts, so that no wait is a silent one.
stage() {
    echo "== $* ($(date +%H:%M:%S))" >&2
}

# kernel_runs_i386: succeeds when this kernel starts 32-bit x86 programs (IA-32 emulation on).
# It runs a 96-byte static i386 program that exits with 42; a kernel without the emulation
# refuses it with "Exec format error".
kernel_runs_i386() {
    local probe status
    probe="$(mktemp)"
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000'\
'\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040'\
'\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200'\
'\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\273\052\000\000\000'\
'\270\001\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# logged LOG COMMAND...: runs COMMAND with all its output in LOG. On a terminal, standard error
# shows one updating line: Ninja's "[done/total]" lines as they come, or else the last line the
# command printed. When the command fails, the end of LOG is shown.
logged() {
    local log=$1
    shift
    local status=0
    if [ -t 2 ]; then
        local cols line
        cols="$(tput cols 2>/dev/null || echo 80)"
        "$@" 2>&1 | tee "$log" | while IFS= read -r line; do
            printf '\r\033[K  %s' "${line:0:$((cols - 3))}" >&2
        done || status=$?
        printf '\r\033[K' >&2
    else
        "$@" >"$log" 2>&1 || status=$?
    fi
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log" >&2
        echo "(the whole log is $log)" >&2
    fi
    return "$status"
}

# check NAME COMMAND...: runs the command quietly and says "PASS NAME", or "FAIL NAME" with the
# command's output indented; counts both in `passed` and `failed` for check_summary.
passed=0
failed=0
check() {
    local name=$1 out
    shift
    out="$(mktemp)"
    if "$@" >"$out" 2>&1; then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        sed 's/^/    /' "$out"
        failed=$((failed + 1))
    fi
    rm -f "$out"
}

# check_summary: "N passed, N failed"; fails when a check failed.
check_summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

# package_source OUT: empties OUT and copies the tree, without its build trees, to
# OUT/vantrel-VERSION, so that dpkg-buildpackage's files land in OUT; sets `version` and `src`.
package_source() {
    local out=$1
    version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
    src="$out/vantrel-$version"
    rm -rf "$out"
    mkdir -p "$src"
    tar -C "$root" --exclude=./.git --exclude='./build*' --exclude='./obj-*' -cf - . |
        tar -C "$src" -xf -
}
