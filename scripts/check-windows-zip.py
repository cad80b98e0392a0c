#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Checks the Windows 95/98 release archive as its user would meet it: check-windows-zip.py
ZIP VANTREL_EXE COPYING. Prints one line per check and a closing "N passed, N failed" line."""
import re
import sys
import zipfile

zip_path, exe_path, copying_path = sys.argv[1:]
passed = failed = 0


def check(ok, what, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print(f"ok   {what}")
    else:
        failed += 1
        print(f"FAIL {what}" + (f": {detail}" if detail else ""))


with zipfile.ZipFile(zip_path) as archive:
    names = archive.namelist()
    check(archive.testzip() is None, "the archive reads back whole")
    check(sorted(names) == ["COPYING.TXT", "README.TXT", "VANTREL.EXE"],
          "it holds VANTREL.EXE, README.TXT and COPYING.TXT alone", f"it holds {names}")
    for name in names:
        check(re.fullmatch(r"[A-Z0-9_-]{1,8}\.[A-Z0-9]{1,3}", name) is not None,
              f"{name} is a short 8.3 name in capitals")
        check(archive.getinfo(name).create_system == 0, f"{name} has MS-DOS attributes")
    exe = archive.read("VANTREL.EXE") if "VANTREL.EXE" in names else b""
    check(exe == open(exe_path, "rb").read(), "VANTREL.EXE is the MinSizeRel build, byte for byte")
    check(exe[:2] == b"MZ", "VANTREL.EXE is a Windows executable")
    text = archive.read("README.TXT") if "README.TXT" in names else b""
    licence = archive.read("COPYING.TXT") if "COPYING.TXT" in names else b""


def crlf_only(data):
    return b"\n" not in data.replace(b"\r\n", b"") and b"\r" not in data.replace(b"\r\n", b"")


check(len(text) > 0, "README.TXT is not empty")
check(all(b < 0x80 for b in text), "README.TXT is plain ASCII")
check(text.endswith(b"\r\n"), "README.TXT ends with CR LF")
check(crlf_only(text), "every line of README.TXT ends with CR LF, and only there")
lines = text.decode("ascii", "replace").split("\r\n")
long_lines = [i + 1 for i, line in enumerate(lines) if len(line) > 76]
check(not long_lines, "no line of README.TXT is wider than Notepad's window at 640x480",
      f"lines {long_lines}")
readme = text.decode("ascii", "replace")
for topic, words in (("what the program does", "VXC812-07"), ("the warning", "WARNING"),
                     ("msvcrt.dll on Windows 95", "msvcrt.dll"), ("/load", "/load"),
                     ("the Startup folder", "Startup folder"), ("the start-up guard", "LoadGuard"),
                     ("/clearguard", "/clearguard"), ("the switches", "/simulate"),
                     ("where the settings are", "HKEY_LOCAL_MACHINE\\Software\\Korvane\\25"),
                     ("no hardware on NT and Wine", "Windows NT, 2000 and XP, and Wine"),
                     ("the licence", "COPYING.TXT")):
    check(words in readme, f"README.TXT tells {topic}")

check(b"GNU GENERAL PUBLIC LICENSE\r\n" in licence[:200] and all(b < 0x80 for b in licence),
      "COPYING.TXT is the GNU General Public License, in plain ASCII")
check(crlf_only(licence) and licence.endswith(b"\r\n"),
      "every line of COPYING.TXT ends with CR LF, and only there")
check(licence.replace(b"\r\n", b"\n") == open(copying_path, "rb").read(),
      "COPYING.TXT is COPYING, word for word")

print(f"{passed} passed, {failed} failed")
sys.exit(0 if failed == 0 else 1)
