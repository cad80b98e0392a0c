#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Runs scripts/add-spdx.sh on a scratch git checkout of sample files: each gets the line in its
own comment syntax, below a line that must stay first; a second run changes nothing; --check
passes afterwards and names a file without the line or of an unknown kind before.

    add_spdx_test.py SCRIPT
"""

import os
import shutil
import subprocess
import sys
import tempfile

G = "SPDX-License-Identifier: GPL-2.0-or-later"

# (path, before, after)
CASES = [
    ("lib/a.cpp", "#pragma once\n", f"// {G}\n#pragma once\n"),
    ("scripts/b.sh", "#!/bin/sh\necho b\n", f"#!/bin/sh\n# {G}\necho b\n"),
    ("tool/c", "#!/usr/bin/env python3\n\"\"\"C.\"\"\"\n", f"#!/usr/bin/env python3\n# {G}\n\"\"\"C.\"\"\"\n"),
    ("CMakeLists.txt", "project(x)\n", f"# {G}\nproject(x)\n"),
    ("dist/completions/_x", "#compdef x\n_x() {}\n", f"#compdef x\n# {G}\n_x() {{}}\n"),
    ("dist/x.policy.in", "<?xml version=\"1.0\"?>\n<a/>\n",
     f"<?xml version=\"1.0\"?>\n<!-- {G} -->\n<a/>\n"),
    ("dist/org.vantrel.Vantrel.metainfo.xml.in", "<?xml version=\"1.0\"?>\n<c/>\n",
     "<?xml version=\"1.0\"?>\n<!-- SPDX-License-Identifier: CC0-1.0 -->\n<c/>\n"),
    ("dist/man/x.1.scd", "x(1)\n\n# NAME\n", f"x(1)\n; {G}\n\n# NAME\n"),
    ("dist/man/part.scd.in", "# PART\n", f"; {G}\n# PART\n"),
    ("dist/x.desktop", "[Desktop Entry]\n", f"# {G}\n[Desktop Entry]\n"),
    ("win/x.rc.in", "// made\r\n#include <w.h>\r\n", f"// {G}\r\n// made\r\n#include <w.h>\r\n"),
    ("README.md", "# X\n", "# X\n"),
    ("docs/x.png", "\x89PNG\n", "\x89PNG\n"),
]


def run(script_dir, *args):
    return subprocess.run(["bash", os.path.join(script_dir, "add-spdx.sh"), *args],
                          capture_output=True, text=True, check=False)


def main():
    script = sys.argv[1]
    faults = 0
    with tempfile.TemporaryDirectory() as work:
        scripts = os.path.join(work, "scripts")
        os.makedirs(scripts)
        shutil.copy(script, os.path.join(scripts, "add-spdx.sh"))
        for path, before, _ in CASES:
            os.makedirs(os.path.join(work, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(work, path), "w", encoding="latin-1", newline="") as f:
                f.write(before)
        os.chmod(os.path.join(work, "scripts/b.sh"), 0o755)
        strays = {"data.odd": "no comments here\n",
                  "lib/mit.cpp": "// SPDX-License-Identifier: MIT\n"}
        for path, text in strays.items():
            with open(os.path.join(work, path), "w") as f:
                f.write(text)
        subprocess.run(["git", "init", "-q", work], check=True)
        subprocess.run(["git", "-C", work, "add", "-A"], check=True)

        check = run(scripts, "--check")
        for name in ("lib/a.cpp: no", "data.odd: no rule", "lib/mit.cpp: its SPDX line is not"):
            if check.returncode != 1 or name not in check.stdout:
                print(f"FAIL --check before does not name {name}: {check.stdout}")
                faults += 1
        for path in strays:
            os.remove(os.path.join(work, path))
        subprocess.run(["git", "-C", work, "add", "-A"], check=True)

        for attempt in ("first", "second"):
            added = run(scripts)
            if added.returncode != 0:
                print(f"FAIL {attempt} run: {added.stdout}{added.stderr}")
                faults += 1
            for path, _, after in CASES:
                with open(os.path.join(work, path), encoding="latin-1", newline="") as f:
                    got = f.read()
                if got != after:
                    print(f"FAIL {attempt} run: {path} is {got!r}, not {after!r}")
                    faults += 1
        if not os.access(os.path.join(work, "scripts/b.sh"), os.X_OK):
            print("FAIL scripts/b.sh is no longer executable")
            faults += 1

        check = run(scripts, "--check")
        if check.returncode != 0:
            print(f"FAIL --check after: {check.stdout}")
            faults += 1
    print(f"add-spdx.sh: {faults} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
