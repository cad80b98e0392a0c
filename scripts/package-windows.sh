#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The release a Windows 95/98 user unpacks: vantrel-VERSION-win9x.zip with VANTREL.EXE (the
# MinSizeRel build), README.TXT (plain ASCII, CR LF line ends, as Notepad shows it) and
# COPYING.TXT (the licence, CR LF line ends), then checks what went into it.
#   scripts/package-windows.sh [BUILD_DIR]    (default build-win; built first when missing)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${1:-build-win}"

if [ ! -f "$build/vantrel.exe" ]; then
    "$root/scripts/setup-deps.sh"
    cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DVANTREL_WERROR=ON >/dev/null
    cmake --build "$build" -j2 --target vantrel
fi
if ! grep -q '^CMAKE_BUILD_TYPE:STRING=MinSizeRel$' "$build/CMakeCache.txt"; then
    echo "FAIL $build is not a MinSizeRel build" >&2
    exit 1
fi

version="$(sed -n 's/.*kVersionString = "\(.*\)";.*/\1/p' "$root/res/version_info.h")"
zip="$build/vantrel-$version-win9x.zip"
echo "== Windows: $(basename "$zip")"
python3 - "$root/dist/windows/README.TXT" "$build/vantrel.exe" "$version" "$zip" \
    "$root/COPYING" <<'PY'
import os, subprocess, sys, time, zipfile
readme_path, exe_path, version, zip_path, copying_path = sys.argv[1:]
lines = open(readme_path, encoding="ascii").read().replace("@VERSION@", version).split("\n")
lines[1] = "=" * len(lines[0])
if lines[-1] == "":
    lines.pop()
readme = "".join(line + "\r\n" for line in lines).encode("ascii")
copying = open(copying_path, "rb").read().replace(b"\n", b"\r\n")
# The files carry the time of the commit they were built from, so one commit makes one archive.
try:
    stamp = int(subprocess.run(["git", "-C", os.path.dirname(readme_path), "log", "-1",
                                "--format=%ct"], capture_output=True, text=True,
                               check=True).stdout)
except (subprocess.CalledProcessError, ValueError, FileNotFoundError):
    stamp = int(time.time())
when = time.gmtime(stamp)[:6]
with zipfile.ZipFile(zip_path + ".part", "w", zipfile.ZIP_DEFLATED) as archive:
    for name, data in (("VANTREL.EXE", open(exe_path, "rb").read()), ("README.TXT", readme),
                       ("COPYING.TXT", copying)):
        info = zipfile.ZipInfo(name, when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0  # MS-DOS: plain attributes, as Windows 98's unzippers expect
        archive.writestr(info, data)
os.replace(zip_path + ".part", zip_path)
PY
python3 "$root/scripts/check-windows-zip.py" "$zip" "$build/vantrel.exe" "$root/COPYING"
echo "The Windows 95/98 release: $zip"
