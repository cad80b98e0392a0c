// SPDX-License-Identifier: GPL-2.0-or-later
#include <string>

#include "ctl/ctl_command.h"
#include "ctl/reason_text.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/file_boot_guard.h"
#include "sim/board_options.h"

namespace vantrel::cli {

namespace {

constexpr std::size_t kUsageWidth = 90;
// Where the descriptions of commands and options begin.
constexpr std::size_t kDescriptionColumn = 25;

// `text` broken into lines of at most kUsageWidth, the first after `first`, the rest indented as
// deep.
std::string wrapped(const std::string& first, std::string_view text) {
    const std::string indent(first.size(), ' ');
    std::string out = first;
    std::size_t line_start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        end = end == std::string_view::npos ? text.size() : end;
        const std::string_view word = text.substr(at, end - at);
        if (out.size() - line_start + word.size() + 1 > kUsageWidth) {
            out += "\n" + indent;
            line_start = out.size() - indent.size();
        } else if (at > 0) {
            out += ' ';
        }
        out += word;
        at = end + 1;
    }
    return out + "\n";
}

}  // namespace

std::string ctl_usage() {
    std::string text =
        "usage: vantrelctl [--simulate[=OPTIONS]] [--bus kernel|ports] [-y] COMMAND [OPTIONS]\n"
        "\n"
        "Reads and sets the VXC812-07 clock generator through the same dialog logic as the\n"
        "Vantrel window: on this machine (Linux on x86), or on a simulated board.\n"
        "\n"
        "Commands:\n"
        "  show [--json]          controller, chip, dividers and the valid range of the CPU\n"
        "                         external clock, PLL, the five clocks, group delays, spread\n"
        "                         spectrum and the measured CPU speed\n"
        "  dump                   the chip's registers as an i2cdump grid (--chip-dump FILE\n"
        "                         loads it back)\n"
        "  set [--cpu-ext MHZ] [--delay-cpu D] [--delay-pci D] [--delay-sdram D]\n"
        "      [--delay-3v66 D] [--spread on|off] [--depth 0-10] [--model 0-7]\n"
        "                         \"Run Settings\" with these choices; what is not given stays\n"
        "                         as the chip has it. D is none, 150ps, 300ps or 450ps;\n";
    text += wrapped(std::string(kDescriptionColumn, ' '),
                    "MHZ is a whole number in the valid range, which follows from the CPU "
                    "divider the board is strapped to (show prints both): " +
                        range_help());
    text +=
        "  save [--settings FILE] \"Save Settings\": the chip's settings into the settings file\n"
        "  load [--settings FILE] [--at-boot [--state-dir DIR]]\n"
        "                         \"Load Settings\": the saved settings back onto the chip\n"
        "  clear-guard [--state-dir DIR]\n"
        "                         lets the next boot-time load run again\n"
        "  diagnose [--json] [--settings FILE] [--state-dir DIR]\n"
        "                         everything that decides access, one line per fact with a\n"
        "                         verdict and the fix, and the path that would be taken;\n"
        "                         touches neither the chip, the ports nor the lock\n"
        "  save --profile NAME, load --profile NAME [load's options]\n"
        "                         the same with the named profile's file,\n"
        "                         $XDG_CONFIG_HOME/vantrel/profiles/NAME.reg, in place of the\n"
        "                         settings file; NAME is 1 to 64 of A-Z a-z 0-9 . _ -, not\n"
        "                         starting with a dot\n"
        "  profiles [--json]      each profile with its clocks and spread, from the files\n"
        "  delete-profile NAME    removes a profile\n"
        "  undo [load's options]  load --profile previous: the settings the chip had before the\n"
        "                         last change. Every set, load or undo that is about to send a\n"
        "                         change (and the window's \"Run Settings\" and \"Load "
        "Settings\")\n"
        "                         first keeps them as the profile previous, the one before as\n"
        "                         previous.1; a dry run keeps none. A second undo redoes\n"
        "\n"
        "Safety options of set and load:\n"
        "  --step MHZ             reach the new CPU external clock in steps of at most MHZ\n"
        "  --verify               read the chip back afterwards and compare (the default)\n"
        "  --no-verify            do not read the chip back\n"
        "  --dry-run              find the chip as usual, then print each write the apply would\n"
        "                         make (the register, its value before and after, what it\n"
        "                         changes; each step's with --step) and the clocks before and\n"
        "                         after; nothing of the apply is sent, nothing read back or\n"
        "                         asked. Refused as the apply would be, with its exit status\n"
        "  --confirm SECONDS      ask \"Keep these settings? [y/N]\" and put the previous\n"
        "                         settings back unless y comes within SECONDS\n"
        "  --at-boot              (load) skip the load when the last boot-time one never\n"
        "                         finished; see clear-guard\n"
        "\n"
        "Other options:\n"
        "  --simulate[=OPTIONS]   a simulated board (below) instead of this machine; its\n"
        "                         settings file, profiles and boot guard are its own, under\n"
        "                         $XDG_CONFIG_HOME/vantrel/simulated and\n"
        "                         $XDG_STATE_HOME/vantrel/simulated\n"
        "  --hub HUB, --dividers CPU/SDRAM, --chip-dump FILE\n"
        "                         the same as --simulate=hub=HUB, dividers=..., dump=FILE\n"
        "  --bus kernel|ports     reach the SMBus through the kernel's i2c-dev node (no root\n"
        "                         needed; the default when the kernel's driver holds the\n"
        "                         controller) or through the ports directly (as root, with\n"
        "                         the kernel's driver unbound)\n"
        "  -y, --yes              do not ask before writing to the chip of this machine\n"
        "  --trace                each SMBus transfer on standard error as it ends: kind,\n"
        "                         register, [count], the register bytes, ok or why it failed;\n"
        "                         on the port path each port access before it\n"
        "  -q, --quiet            no progress line (shown on standard error, when that is a\n"
        "                         terminal, while the bus works: the stage and the transfers)\n"
        "  --settings FILE        the settings file (default: the Linux program's,\n"
        "                         $XDG_CONFIG_HOME/vantrel/settings.reg)\n"
        "  --state-dir DIR        where the boot guard is kept (default ";
    text += platform::kDefaultStateDir;
    text +=
        ")\n"
        "  -h, --help             this text\n"
        "  --version              the version\n"
        "\n"
        "Stopping:\n"
        "  SIGINT (Ctrl-C), SIGTERM, SIGHUP and SIGQUIT never cut a transfer: each is acted on\n"
        "  once the transfer sequence in progress has ended, enhanced mode left. A set or load\n"
        "  not yet finished (applied, read back and, with --confirm, kept) is then undone: with\n"
        "  --step it stops at the next step, then the settings from before go back as after a\n"
        "  --confirm without y, and a second signal does not stop that. At a question, a\n"
        "  signal or the end of input means no. The program says what the chip runs and exits\n"
        "  with 128 + the signal's number; load --at-boot keeps its boot guard.\n"
        "\n"
        "On this machine every command asks before its first write to the chip (finding the\n"
        "chip writes to it too) unless -y is given, and refuses without a terminal to ask on.\n"
        "Results go to standard output, messages to standard error.\n"
        "\n"
        "Exit status:\n";
    for (const ExitStatusMeaning& status : kExitStatuses) {
        text += wrapped("  " + std::to_string(status.status) + "  ", status.meaning);
    }
    // A shell's own convention for a program a signal ended, so it has no constant of its own.
    text += wrapped("  128+N  ",
                    "stopped by signal N (129 SIGHUP, 130 SIGINT, 131 SIGQUIT, "
                    "143 SIGTERM)");
    text += "\n";
    text += sim::board_options_help();
    return text;
}

}  // namespace vantrel::cli
