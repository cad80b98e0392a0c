#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Checks that a program's --help, its man page and its shell completions name the same things.

    help_matches_docs.py PROGRAM MAN_PAGE [--bash FILE] [--zsh FILE] [--fish FILE]
                         [--exit-constants HEADER]
                         [--readme FILE]

Every option --help lists must be in the generated man page and the other way round; for a
program with commands (a "Commands:" section) the commands too; the simulated board's option
names --help lists must be in the man page. Each completion given must offer exactly the
options, commands, simulated board options and --bus values of --help: bash by running the
completion function, zsh and fish by reading their option specifications. Prints one line per
difference and exits 1 when there is any. The exit statuses of --help ("Exit status:") and
of the man page (EXIT STATUS) must be the same numbers with the same words, and with
--exit-constants the numbers those of the header's kExit constants. With --readme, the
README's list of the simulated board's fault actions must name exactly the actions --help names.
"""

import argparse
import re
import subprocess
import sys

LONG = re.compile(r"(?<![\w-])--[a-z0-9][a-z0-9-]*")
SHORT = re.compile(r"(?<![\w-])-[a-zA-Z](?![\w-])")


def options_in(text):
    return set(LONG.findall(text)) | set(SHORT.findall(text))


def troff_text(troff):
    text = re.sub(r"\\f[BIRP]|\\&|\\e", "", troff)
    return text.replace("\\-", "-")


def help_sections(help_text):
    """The help text's "Heading:" sections by heading, each a list of lines."""
    sections, current = {}, None
    for line in help_text.splitlines():
        heading = re.match(r"^([A-Z][^:]*):", line)
        if heading:
            current = sections.setdefault(heading.group(1), [])
        elif current is not None:
            current.append(line)
    return sections


def help_commands(sections):
    return {m.group(1) for line in sections.get("Commands", [])
            for m in [re.match(r"^  ([a-z][a-z-]*)", line)] if m}


def help_board_options(sections):
    names = set()
    for line in sections.get("Simulated board", []):
        first = re.match(r"^  ([a-z][a-z0-9-]*=\S*(?: {2}[a-z][a-z0-9-]*=\S*)*)", line)
        if first:
            names |= set(re.findall(r"([a-z][a-z0-9-]*)=", first.group(1)))
    return names


def help_bus_values(help_text):
    match = re.search(r"--bus ([a-z|]+)", help_text)
    return set(match.group(1).split("|")) if match else set()


def help_fault_actions(sections):
    """The ACTION list of the fault= option: from "ACTION:" to "WHICH:", without the asides."""
    text = " ".join(line.strip() for line in sections.get("Simulated board", []))
    found = re.search(r"ACTION: (.*?)WHICH:", text)
    if not found:
        return set()
    words = re.sub(r"\([^)]*\)", "", found.group(1))
    return set(re.findall(r"[a-z][a-z-]*(?:=N)?", words)) - {"or"}


def readme_fault_actions(readme):
    """The backquoted actions of the README's sentence that starts "A fault makes"."""
    found = re.search(r"A fault makes one transfer fail\. `ACTION` is (.*?)`WHICH`", readme, re.S)
    return set(re.findall(r"`([a-z][a-z-]*(?:=N)?)`", found.group(1))) if found else set()


def man_commands(man):
    """Entries of the COMMANDS section: lines that start with a bold word."""
    section = re.search(r"^\.SH COMMANDS$(.*?)^\.SH ", man, re.M | re.S)
    if not section:
        return set()
    return set(re.findall(r"^\\fB([a-z][a-z-]*)\\fR", section.group(1), re.M))


def words(text):
    """A meaning as words to compare: case, markup, line breaks and the closing stop aside."""
    text = re.sub(r"\s+", " ", troff_text(text)).strip().rstrip(".")
    return text[:1].lower() + text[1:]


def help_exit_statuses(sections):
    statuses, current = {}, None
    for line in sections.get("Exit status", []):
        entry = re.match(r"^  (\d+(?:\+N)?)  (.*)$", line)
        if entry:
            current = int(entry.group(1)) if entry.group(1).isdigit() else entry.group(1)
            statuses[current] = entry.group(2)
        elif current is not None and line.strip():
            statuses[current] += " " + line.strip()
    return {status: words(text) for status, text in statuses.items()}


def man_exit_statuses(man):
    section = re.search(r"^\.SH EXIT STATUS$(.*?)^\.SH ", man, re.M | re.S)
    if not section:
        return {}
    entries = re.findall(r"^\\fB(\d+)\\fR(\+(?:\\fIN\\fR|_N_))?\n\.RS 4\n(.*?)^\.RE", section.group(1),
                         re.M | re.S)
    return {int(status) if not signal else status + "+N": words(text)
            for status, signal, text in entries}


def code_exit_statuses(header):
    return {int(n) for n in re.findall(r"constexpr int kExit\w+ = (\d+);", open(header).read())}


def compare_exit_statuses(sections, man, header, where):
    in_help = help_exit_statuses(sections)
    faults = 0
    if not in_help:
        if header:
            print("--help has no exit status table")
            return 1
        return 0
    in_man = man_exit_statuses(man)
    for status in sorted(set(in_help) | set(in_man), key=str):
        if in_help.get(status) != in_man.get(status):
            print(f"{where}: exit status {status} is \"{in_man.get(status)}\" here but "
                  f"\"{in_help.get(status)}\" in --help")
            faults += 1
    if header:
        in_code = code_exit_statuses(header)
        for status in sorted(in_code ^ {s for s in in_help if isinstance(s, int)}):
            print(f"{header}: exit status {status} is "
                  f"{'in the code' if status in in_code else 'in --help'} only")
            faults += 1
    return faults


BASH_DRIVER = r"""
source "$BASH_COMPLETION" || exit 3
source "$1" || exit 3
ask() {
    COMP_LINE=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$FUNCTION" "${COMP_WORDS[0]}" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    printf '%s\n' "== $COMP_LINE" "${COMPREPLY[@]}"
}
ask "$PROG -" "$PROG" -
ask "$PROG set -" "$PROG" set -
ask "$PROG load -" "$PROG" load -
ask "$PROG show -" "$PROG" show -
ask "$PROG " "$PROG" ""
ask "$PROG --simulate=" "$PROG" --simulate =
ask "$PROG --bus " "$PROG" --bus ""
"""


def bash_offers(path, program):
    function = None
    with open(path) as f:
        found = re.search(r"complete -F (\S+) " + re.escape(program), f.read())
        function = found.group(1) if found else None
    if not function:
        return None
    run = subprocess.run(
        ["bash", "-c", BASH_DRIVER, "bash", path],
        env={"BASH_COMPLETION": "/usr/share/bash-completion/bash_completion",
             "FUNCTION": function, "PROG": program, "PATH": "/usr/bin:/bin"},
        capture_output=True, text=True, check=False)
    if run.returncode != 0:
        print(f"{path}: bash could not run it: {run.stderr.strip()}")
        return None
    answers, current = {}, None
    for line in run.stdout.splitlines():
        if line.startswith("== "):
            current = answers.setdefault(line[3 + len(program) + 1:], [])
        elif current is not None:
            current.append(line)
    options = set()
    for key in ("-", "set -", "load -", "show -"):
        options |= {o for o in answers.get(key, []) if not o.endswith("=")}
    return {
        "options": options,
        "commands": set(answers.get("", [])),
        "board options": {o.rstrip("=") for o in answers.get("--simulate=", [])},
        "--bus values": set(answers.get("--bus ", [])),
    }


def zsh_offers(path):
    text = open(path).read()
    specs = "\n".join(l for l in text.splitlines() if re.match(r"\s*['(]", l))
    spec_lines = re.findall(r"^\s*'([^']*)'(?:\{([^}]*)\}'([^']*)')?", specs, re.M)
    options = set()
    for head, braced, tail in spec_lines:
        if braced:
            options |= set(braced.split(","))
        else:
            name = re.sub(r"^\([^)]*\)", "", head)
            options |= options_in(re.split(r"[\[=]", name, maxsplit=1)[0])
    commands = re.search(r"commands=\((.*?)\)\n", text, re.S)
    names = re.search(r"names=\((.*?)\)\n", text, re.S)
    bus = re.search(r"'--bus\[[^]]*\]:[^:]*:\(([^)]*)\)'", text)
    return {
        "options": options,
        "commands": set(re.findall(r"'([a-z-]+):", commands.group(1))) if commands else set(),
        "board options": set(re.findall(r"'([a-z0-9-]+):", names.group(1))) if names else set(),
        "--bus values": set(bus.group(1).split()) if bus else set(),
    }


def fish_offers(path):
    options, commands, board, bus = set(), set(), set(), set()
    for line in open(path):
        if not line.startswith("complete "):
            continue
        options |= {"--" + o for o in re.findall(r" -l (\S+)", line)}
        options |= {"-" + o for o in re.findall(r" -s (\S)", line)}
        if "not __fish_seen_subcommand_from" in line:
            commands |= set(re.findall(r" -a (\S+)", line))
        if " -l simulate " in line:
            board |= {n.rstrip("=") for n in re.search(r"-a '([^']*)'", line).group(1).split()}
        if " -l bus " in line:
            bus |= set(re.search(r"-a '([^']*)'", line).group(1).split())
    return {"options": options, "commands": commands, "board options": board,
            "--bus values": bus}


def compare(what, expected, found, where):
    faults = 0
    for item in sorted(expected - found):
        print(f"{where}: {what} {item} is in --help but not here")
        faults += 1
    for item in sorted(found - expected):
        print(f"{where}: {what} {item} is here but not in --help")
        faults += 1
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("man_page")
    parser.add_argument("--bash")
    parser.add_argument("--zsh")
    parser.add_argument("--fish")
    parser.add_argument("--exit-constants")
    parser.add_argument("--readme")
    args = parser.parse_args()

    help_text = subprocess.run([args.program, "--help"], capture_output=True, text=True,
                               check=True).stdout
    sections = help_sections(help_text)
    name = args.program.rsplit("/", 1)[-1]
    expected = {
        "options": options_in(help_text),
        "commands": help_commands(sections),
        "board options": help_board_options(sections),
        "--bus values": help_bus_values(help_text),
    }
    faults = 0
    if not expected["options"] or not expected["board options"]:
        print(f"{name} --help lists no options or no simulated board options")
        faults += 1

    man = open(args.man_page).read()
    man_text = troff_text(man)
    faults += compare("option", expected["options"], options_in(man_text), args.man_page)
    faults += compare("command", expected["commands"], man_commands(man), args.man_page)
    faults += compare_exit_statuses(sections, man, args.exit_constants, args.man_page)
    for board_option in sorted(expected["board options"]):
        if not re.search(r"(?<![\w-])" + re.escape(board_option) + "=", man_text):
            print(f"{args.man_page}: simulated board option {board_option}= is not there")
            faults += 1

    if args.readme:
        actions = help_fault_actions(sections)
        if not actions:
            print(f"{name} --help lists no fault actions")
            faults += 1
        faults += compare("fault action", actions, readme_fault_actions(open(args.readme).read()),
                          args.readme)

    readers = [(args.bash, lambda p: bash_offers(p, name)), (args.zsh, zsh_offers),
               (args.fish, fish_offers)]
    for path, read in readers:
        if not path:
            continue
        offers = read(path)
        if offers is None:
            print(f"{path}: no completion for {name}")
            faults += 1
            continue
        for what, items in expected.items():
            faults += compare(what.rstrip("s"), items, offers[what], path)

    print(f"{name}: {'no' if not faults else faults} difference(s) between --help and its "
          "documentation")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
