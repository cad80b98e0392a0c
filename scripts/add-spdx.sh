#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Puts the licence's SPDX line at the top of every tracked source and script file that lacks it,
# in the file's own comment syntax (after a "#!", "#compdef", "<?xml" or scdoc title line, which
# must stay first). Running it again changes nothing.
#   scripts/add-spdx.sh            add the line where it is missing
#   scripts/add-spdx.sh --check    change nothing; name each file without it, and each tracked
#                                  file of a kind this script has no rule for; exit 1 if any
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-add}"
case "$mode" in
    add | --check) ;;
    *)
        echo "usage: scripts/add-spdx.sh [--check]" >&2
        exit 2
        ;;
esac

program="$(
    cat <<'PY'
import fnmatch
import os
import sys

root, mode = sys.argv[1:]
LICENCE = "GPL-2.0-or-later"
TAG = "SPDX-License-Identifier:"

# Files that carry no line: the licence itself, documents, binaries and the fuzzers' inputs.
EXEMPT = ["COPYING", "*.md", "*.png", "*.ico", "*.bin", "tests/fuzz/corpus/*", "debian/changelog",
          "debian/copyright", "debian/source/format", "debian/README.Debian", "dist/static/README",
          "dist/windows/README.TXT"]

# (patterns, comment opener, closer); the first rule that matches a path applies.
RULES = [
    (["*.cpp", "*.h", "*.rc.in", "*.rules.example"], "// ", ""),
    (["*.xml.in", "*.policy.in"], "<!-- ", " -->"),
    (["*.scd", "*.scd.in"], "; ", ""),
    (["*.sh", "*.py", "*.cmake", "*CMakeLists.txt", "*.service.in", "*.rules", "*.conf",
      "*.desktop", "*.bash", "*.fish", "dist/completions/_*", "debian/rules", "debian/control",
      "debian/*.postrm", "debian/*.examples", ".ci/*", "win32/win98-imports.txt", ".gitignore",
      ".clang-format"], "# ", ""),
]

# AppStream metadata must be under a licence such as CC0-1.0, which the file declares itself.
LICENCE_OF = {"dist/org.vantrel.Vantrel.metainfo.xml.in": "CC0-1.0"}

# Lines that must stay first in their file.
FIRST_LINES = ("#!", "#compdef", "<?xml")


def matches(path, patterns):
    return any(fnmatch.fnmatch(path, p) or fnmatch.fnmatch(os.path.basename(path), p)
               for p in patterns)


def comment_for(path, first_line):
    for patterns, opener, closer in RULES:
        if matches(path, patterns):
            return opener, closer
    if first_line.startswith("#!"):
        return "# ", ""
    return None


faults = changed = 0
paths = [p for p in sys.stdin.read().split("\0") if p]
for path in paths:
    full = os.path.join(root, path)
    if matches(path, EXEMPT) or os.path.islink(full) or not os.path.isfile(full):
        continue
    with open(full, "rb") as f:
        data = f.read()
    text = data.decode("utf-8")
    newline = "\r\n" if "\r\n" in text.split("\n", 1)[0] + "\n" else "\n"
    lines = text.splitlines(keepends=True)
    style = comment_for(path, lines[0] if lines else "")
    if style is None:
        print(f"{path}: no rule for a file of this kind in scripts/add-spdx.sh")
        faults += 1
        continue
    licence = LICENCE_OF.get(path, LICENCE)
    wanted = f"{style[0]}{TAG} {licence}{style[1]}"
    head = lines[:3]
    if any(TAG in line for line in head):
        if not any(line.rstrip("\r\n") == wanted for line in head):
            print(f"{path}: its SPDX line is not \"{wanted}\"")
            faults += 1
        continue
    if mode == "--check":
        print(f"{path}: no \"{wanted}\" line at the top")
        faults += 1
        continue
    at = 1 if lines and (lines[0].startswith(FIRST_LINES) or path.endswith(".scd")) else 0
    lines.insert(at, wanted + newline)
    with open(full, "wb") as f:
        f.write("".join(lines).encode("utf-8"))
    changed += 1

if mode == "--check":
    print(f"{len(paths)} tracked files: {faults} without the licence's SPDX line or a rule")
else:
    print(f"added the SPDX line to {changed} files")
sys.exit(1 if faults else 0)
PY
)"
git -C "$root" ls-files -z | python3 -c "$program" "$root" "$mode"
