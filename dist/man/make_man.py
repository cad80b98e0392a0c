#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Turns one scdoc page into troff: make_man.py SOURCE OUTPUT.

A line "@include NAME" is replaced by the file NAME beside the source, so that a section two
pages share is written once. scdoc's paragraph macros are then moved where man-page linters
want them: none that opens or closes a section or an indented block.
"""

import os
import subprocess
import sys

SECTION = (".SH", ".SS")


def expand(path):
    here = os.path.dirname(path)
    text = []
    for line in open(path, encoding="utf-8"):
        if line.startswith("@include "):
            text.append(expand(os.path.join(here, line.split(None, 1)[1].strip())))
        else:
            text.append(line)
    return "".join(text)


def tidy(troff):
    lines = []
    literal = False
    for line in troff.split("\n"):
        literal = line == ".nf" or (literal and line != ".fi")
        if line or literal:
            lines.append(line)
    # A paragraph break that ends an indented block goes after the block.
    for i in range(len(lines) - 1):
        if lines[i] == ".P" and lines[i + 1] == ".RE":
            lines[i], lines[i + 1] = ".RE", ".P"
    out = []
    for i, line in enumerate(lines):
        following = lines[i + 1] if i + 1 < len(lines) else ""
        if line == ".P" and (not following or following.startswith(SECTION + (".P", ".RE")) or
                             (out and out[-1].startswith(SECTION + (".P",)))):
            continue
        out.append(line)
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    scdoc = subprocess.run(["scdoc"], input=expand(argv[1]), capture_output=True, text=True,
                           check=False)
    if scdoc.returncode != 0:
        print(f"{argv[1]}: {scdoc.stderr.strip()}", file=sys.stderr)
        return 1
    with open(argv[2], "w", encoding="utf-8") as out:
        out.write(tidy(scdoc.stdout))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
