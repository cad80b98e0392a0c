#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Checks that a Windows executable runs on Windows 95/98: every function it imports is on the
# allow-list win32/win98-imports.txt, nothing is imported by ordinal, and its header asks for
# subsystem and OS version 4.0.
#   scripts/check-win98-imports.sh PATH/vantrel.exe [GUI|CUI]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$1"
subsystem="${2:-GUI}"
allow="$root/win32/win98-imports.txt"
objdump="${OBJDUMP:-i686-w64-mingw32-objdump}"

header="$("$objdump" -p "$exe")"
failed=0

field() {
    awk -v name="$1" '$1 == name { print $2; exit }' <<<"$header"
}
expect_field() {
    local got
    got="$(field "$1")"
    if [ "$got" != "$2" ]; then
        echo "FAIL $exe: $1 is ${got:-missing}, not $2"
        failed=1
    fi
}
expect_field MajorSubsystemVersion 4
expect_field MinorSubsystemVersion 0
expect_field MajorOSystemVersion 4
expect_field MinorOSystemVersion 0
case "$subsystem" in
    GUI) expect_field Subsystem 00000002 ;;
    CUI) expect_field Subsystem 00000003 ;;
esac

# "DLL!Function" for every import, the DLL name in lower case.
imports="$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll "!" $3 }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF == 2 { print dll "!<ordinal " $2 ">" }
' <<<"$header" | sort -u)"
allowed="$(grep -v '^[[:space:]]*\(#\|$\)' "$allow" | awk -F'!' '{ print tolower($1) "!" $2 }' | sort -u)"

if [ -z "$imports" ]; then
    echo "FAIL $exe: no imports found; objdump's output changed?"
    failed=1
fi
while IFS= read -r import; do
    [ -z "$import" ] && continue
    if ! grep -qxF "$import" <<<"$allowed"; then
        echo "FAIL $exe imports $import, which is not on $(basename "$allow")"
        failed=1
    fi
done <<<"$imports"

count="$(grep -c . <<<"$imports" || true)"
if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "ok   $exe: $count imports, all on the Windows 95/98 list; subsystem and OS version 4.0"
