// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ctl/vantrelctl.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"
#include "ui/registry.h"

// vantrelctl's word on each refusal: the line under each of the dialog's messages, the exit
// status it gives, and the files each command leaves behind.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";

// `text` with each `marker` replaced by `value`.
std::string replaced(std::string text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

// Saves the default board's settings, then changes one value of the file.
void save_with(CtlRunner& ctl, const char* name, std::uint32_t value) {
    ASSERT_EQ(ctl.run({kInstant, "save"}), 0) << ctl.console.err();
    platform::RegFileRegistry registry(ctl.simulated_settings_path());
    RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->set_dword(name, value));
}

void write_settings(CtlRunner& ctl, const std::string& text) {
    std::filesystem::create_directories(
        std::filesystem::path(ctl.simulated_settings_path()).parent_path());
    test::write_file(ctl.simulated_settings_path(), text);
}

struct BadRequest {
    const char* label;
    std::string board;  // after pauses=instant
    std::vector<std::string> args;
    void (*prepare)(CtlRunner& ctl);  // the settings file, before the run
    const char* message;              // the dialog's message, nullptr for none
    // Every line on standard error after the message (all of them without one); "{path}"
    // stands for the settings file.
    std::vector<std::string> after;
    int status;
};

class CtlBadRequest : public ::testing::TestWithParam<BadRequest> {};

TEST_P(CtlBadRequest, MessageReasonAndStatus) {
    const BadRequest& row = GetParam();
    CtlRunner ctl;
    row.prepare(ctl);
    ctl.console.clear();
    std::vector<std::string> args = {kInstant + row.board};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(ctl.run(args), row.status);
    std::vector<std::string> lines = ctl.err_lines();
    if (row.message != nullptr) {
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), std::string("Error: ") + row.message);
        lines.erase(lines.begin());
    }
    std::vector<std::string> after;
    for (const std::string& line : row.after) {
        after.push_back(replaced(line, "{path}", ctl.simulated_settings_path()));
    }
    EXPECT_EQ(lines, after);
}

const std::string kNoSaved =
    "vantrelctl: there is no settings file {path}; \"vantrelctl save\" writes one";
const std::string kStillRuns133 =
    "CPU external 133.000 MHz (N 132, M 31, CPU divider 3), spread off, depth 0, model 0, group "
    "delays CPU None, PCI None, SDRAM None, 3V66 None";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, CtlBadRequest, ::testing::Values(
    BadRequest{"AboveTheRange", "", {"set", "--cpu-ext", "999"}, [](CtlRunner&) {}, "Invalid Frequency",
               {"vantrelctl: the CPU external clock can be 100 to 250 MHz with this chip's dividers 3/3; 999 MHz was asked"}, cli::kExitUsage},
    BadRequest{"BelowTheRangeOfDivider4", ",dividers=4/3", {"set", "--cpu-ext", "50"}, [](CtlRunner&) {}, "Invalid Frequency",
               {"vantrelctl: the CPU external clock can be 75 to 180 MHz with this chip's dividers 4/3; 50 MHz was asked"}, cli::kExitUsage},
    BadRequest{"JustAbove", "", {"set", "--cpu-ext", "251", "--dry-run"}, [](CtlRunner&) {}, "Invalid Frequency",
               {"vantrelctl: the CPU external clock can be 100 to 250 MHz with this chip's dividers 3/3; 251 MHz was asked",
                "vantrelctl: dry run: nothing of the apply was sent to the chip"}, cli::kExitUsage},
    BadRequest{"FourDigits", "", {"set", "--cpu-ext", "1205"}, [](CtlRunner&) {}, "Invalid Frequency",
               {"vantrelctl: the CPU external clock can be 100 to 250 MHz with this chip's dividers 3/3; \"1205\" was asked"}, cli::kExitUsage},
    BadRequest{"NothingToSet", "", {"set", "--no-verify"}, [](CtlRunner&) {}, nullptr,
               {"vantrelctl: nothing to set: give one or more of --cpu-ext, --delay-cpu, --delay-pci, --delay-sdram, --delay-3v66, --spread, --depth and --model",
                "Try 'vantrelctl --help'."}, cli::kExitUsage},
    BadRequest{"NoSettingsFile", "", {"load"}, [](CtlRunner&) {}, "Settings Data Crushed!", {kNoSaved}, cli::kExitUsage},
    BadRequest{"EmptyFile", "", {"load"}, [](CtlRunner& c) { write_settings(c, "\r\n"); }, "Settings Data Crushed!",
               {"vantrelctl: settings file {path}: the file is empty"}, cli::kExitUsage},
    BadRequest{"Garbage", "", {"load"}, [](CtlRunner& c) { write_settings(c, "clock=133\n"); }, "Settings Data Crushed!",
               {"vantrelctl: settings file {path}: it is not a REGEDIT4 file: it does not begin with REGEDIT4"}, cli::kExitUsage},
    BadRequest{"Regedit5", "", {"load"},
               [](CtlRunner& c) { write_settings(c, std::string("\xFF\xFEW\0i\0n\0", 8)); }, "Settings Data Crushed!",
               {"vantrelctl: settings file {path}: it is a REGEDIT5 export (regedit of Windows 2000 or later), not REGEDIT4; export the key again as \"Win9x/NT4 Registration Files (REGEDIT4)\""}, cli::kExitUsage},
    BadRequest{"ValueMissing", "", {"load"},
               [](CtlRunner& c) { write_settings(c, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n\"REG00\"=dword:00000000\r\n"); },
               "Settings Data Crushed!",
               {"vantrelctl: settings file {path}: REG11 is not there, REG12 is not there, REG13 is not there, REG1F is not there, REG21 is not there, REG22 is not there"}, cli::kExitUsage},
    BadRequest{"ValueTooLong", "", {"load"},
               [](CtlRunner& c) {
                   write_settings(c, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n\"REG00\"=dword:00000000\r\n\"REG11\"=dword:00000084\r\n\"REG12\"=dword:00000084\r\n\"REG13\"=hex:1f,00,00,00,00,00,00,00\r\n\"REG1F\"=dword:00000088\r\n\"REG21\"=dword:00000000\r\n\"REG22\"=dword:00000000\r\n");
               },
               "Settings Data Crushed!", {"vantrelctl: settings file {path}: REG13 holds 8 bytes, more than the 4 of a DWORD"}, cli::kExitUsage},
    BadRequest{"OtherDividers", "", {"load", "--no-verify"}, [](CtlRunner& c) { save_with(c, "REG1F", 0x48); },
               "Cannot Apply These Settings!",
               {"vantrelctl: the settings were saved on a board with dividers 4/3 (REG1F 0x48); this chip has 3/3 (REG1F 0x98), where they would mean other clocks"}, cli::kExitUsage},
    BadRequest{"MOfZero", "", {"load"}, [](CtlRunner& c) { save_with(c, "REG13", 0); },
               "Cannot Apply These Settings!",
               {"vantrelctl: the saved REG13 (M) is 0; N, N minus the spread depth and M must each be above 0",
                "vantrelctl: the saved N 132 and M 0 make a CPU external clock of 4256 MHz with CPU divider 3, outside the valid 100 to 250 MHz"}, cli::kExitUsage},
    BadRequest{"DepthAboveTen", "", {"load"}, [](CtlRunner& c) { save_with(c, "REG12", 121); },
               "Cannot Apply These Settings!",
               {"vantrelctl: the saved spread depth, REG11 (N, 132) minus REG12 (121) = 11, is above 10"}, cli::kExitUsage},
    BadRequest{"DepthBelowZero", "", {"load"}, [](CtlRunner& c) { save_with(c, "REG12", 133); },
               "Cannot Apply These Settings!",
               {"vantrelctl: the saved REG12 (133) is above REG11 (N, 132): no spread depth makes N minus the depth that"}, cli::kExitUsage},
    // The new N and M reached the chip but not its PLL.
    BadRequest{"LatchFailed", ",fault=timeout:word-write:reg=17", {"set", "--cpu-ext", "150"}, [](CtlRunner&) {},
               "Cannot Change Some Clock Settings!",
               {"vantrelctl: the word write of REG17 timed out and was killed (SMBus timeout)",
                "vantrelctl: the new N and M were not latched, so the chip still runs " + kStillRuns133}, cli::kExitFailed},
    BadRequest{"SpreadSwitchFailed", ",fault=timeout:word-write:reg=00", {"set", "--cpu-ext", "150", "--spread", "on"}, [](CtlRunner&) {},
               "Cannot Change Some Clock Settings!",
               {"vantrelctl: the word write of REG00 timed out and was killed (SMBus timeout)",
                "vantrelctl: the chip now runs CPU external 150.000 MHz (N 149, M 31, CPU divider 3), spread off, depth 0, model 0, group delays CPU None, PCI None, SDRAM None, 3V66 None"}, cli::kExitFailed},
    BadRequest{"DelaysFailed", ",fault=device-error:word-write:reg=21", {"set", "--delay-cpu", "450ps"}, [](CtlRunner&) {},
               "Cannot Change Clock Settings!",
               {"vantrelctl: the chip did not acknowledge the word write of REG21 (SMBus device error)",
                "vantrelctl: the chip now runs " + kStillRuns133}, cli::kExitFailed}),
    test::ByLabel());
// clang-format on

// Every file and directory below `root`, relative to it, in order.
std::vector<std::string> tree(const std::string& root) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        found.push_back(std::filesystem::relative(entry.path(), root).string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct FilesCase {
    const char* label;
    std::vector<std::string> args;  // after the board
    int status;
    std::vector<std::string> made;  // below the temporary directory afterwards
    std::string line;               // the last line on standard error; "{dir}" is the directory
};

class CtlFiles : public ::testing::TestWithParam<FilesCase> {};

// The settings file's default place is in a configuration directory not made yet.
TEST_P(CtlFiles, OnlyTheDefaultDirectoryAndOnlyOnSuccess) {
    const FilesCase& row = GetParam();
    CtlRunner ctl;
    ctl.simulated_settings_name = "config/vantrel/settings.reg";
    std::vector<std::string> args;
    for (const std::string& arg : row.args) {
        args.push_back(replaced(arg, "{dir}", ctl.dir.path()));
    }
    EXPECT_EQ(ctl.run(args), row.status);
    EXPECT_EQ(tree(ctl.dir.path()), row.made);
    const std::vector<std::string> lines = ctl.err_lines();
    const std::string line = replaced(row.line, "{dir}", ctl.dir.path());
    EXPECT_EQ(lines.empty() ? "" : lines.back(), line);
}

const std::vector<std::string> kMadeSettings = {"config", "config/vantrel",
                                                "config/vantrel/settings.reg"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, CtlFiles, ::testing::Values(
    FilesCase{"Save", {kInstant, "save"}, 0, kMadeSettings,
              "vantrelctl: saved the chip's settings to {dir}/config/vantrel/settings.reg"},
    FilesCase{"SaveProfile", {kInstant, "save", "--profile", "fast"}, 0,
              {"config", "config/vantrel", "config/vantrel/profiles", "config/vantrel/profiles/fast.reg"},
              "vantrelctl: saved the chip's settings as the profile fast, {dir}/config/vantrel/profiles/fast.reg"},
    FilesCase{"SaveWithoutAChip", {kInstant + ",fault=device-error:block-read", "save"}, 1, {},
              "vantrelctl: the chip did not acknowledge the block read (SMBus device error)"},
    // A change that fails once under way leaves only the settings from before it, for an undo.
    FilesCase{"FailedApply", {kInstant + ",fault=timeout:word-write:reg=17", "set", "--cpu-ext", "150"}, 1,
              {"config", "config/vantrel", "config/vantrel/profiles", "config/vantrel/profiles/previous.reg"},
              "vantrelctl: the new N and M were not latched, so the chip still runs " + kStillRuns133},
    FilesCase{"NamedDirectoryMissing", {kInstant, "save", "--settings", "{dir}/missing/s.reg"}, 2, {},
              "vantrelctl: --settings {dir}/missing/s.reg: the directory {dir}/missing does not exist; it is not created for a file named with --settings"},
    FilesCase{"LoadWithoutSettings", {kInstant, "load"}, 2, {},
              "vantrelctl: there is no settings file {dir}/config/vantrel/settings.reg; \"vantrelctl save\" writes one"},
    FilesCase{"LoadMissingProfile", {kInstant, "load", "--profile", "fast"}, 2, {},
              "vantrelctl: there is no profile fast ({dir}/config/vantrel/profiles/fast.reg)"},
    FilesCase{"Show", {kInstant, "show"}, 0, {}, ""},
    FilesCase{"RefusedSet", {kInstant, "set", "--cpu-ext", "999"}, 2, {},
              "vantrelctl: the CPU external clock can be 100 to 250 MHz with this chip's dividers 3/3; 999 MHz was asked"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
