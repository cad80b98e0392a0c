// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ctl/diagnose.h"
#include "platform/linux/file_boot_guard.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"
#include "support/recording_file_calls.h"

// What vantrelctl does with its files around the chip: the boot guard on the disk before the
// first transfer and none left by a dry run, profiles that are not plain files, and the lines
// of diagnose that describe the guard and the settings file.

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";

TEST(CtlBootGuardOrder, TheGuardIsOnTheDiskBeforeTheFirstTransfer) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({"-y", "save"}), 0) << ctl.console.err();
    test::RecordingFileCalls calls;
    // Each call with the transfers the chip had seen by then; -1 before this machine exists.
    std::vector<std::pair<std::string, long>> seen;
    calls.on_call = [&](const std::string& entry) {
        seen.emplace_back(entry,
                          ctl.live_board == nullptr
                              ? -1L
                              : static_cast<long>(ctl.live_board->smbus().transfers().size()));
    };
    ctl.file_calls = &calls;
    ASSERT_EQ(ctl.run({"-y", "load", "--at-boot", "--state-dir", ctl.state_dir()}), 0)
        << ctl.console.err();

    const std::vector<std::pair<std::string, long>> armed = {{"open boot-guard", 0},
                                                             {"write boot-guard", 0},
                                                             {"fsync boot-guard", 0},
                                                             {"open state", 0},
                                                             {"fsync state", 0}};
    ASSERT_GE(seen.size(), armed.size() + 1);
    EXPECT_EQ(std::vector(seen.begin(), seen.begin() + static_cast<long>(armed.size())), armed);
    // Removed once the apply is done, and that too reaches the disk.
    EXPECT_EQ(seen[armed.size()].first, "unlink boot-guard");
    EXPECT_GT(seen[armed.size()].second, 0);
    EXPECT_EQ(seen.back().first, "fsync state");
    EXPECT_FALSE(test::file_exists(ctl.state_dir() + "/boot-guard"));
}

struct DryBootCase {
    const char* label;
    bool guard_before;
    int status;
};

class CtlBootDryRun : public ::testing::TestWithParam<DryBootCase> {};

TEST_P(CtlBootDryRun, NeitherSetsNorClearsTheGuard) {
    const DryBootCase& row = GetParam();
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + ",n=149", "save"}), 0) << ctl.console.err();
    platform::FileBootGuard guard(ctl.state_dir());
    if (row.guard_before) {
        ASSERT_TRUE(guard.set()) << guard.problem();
    }
    test::RecordingFileCalls calls;
    ctl.file_calls = &calls;
    EXPECT_EQ(ctl.run({kInstant, "load", "--at-boot", "--dry-run", "--state-dir", ctl.state_dir()}),
              row.status)
        << ctl.console.err();
    EXPECT_EQ(calls.log, std::vector<std::string>{});
    std::string failure;
    EXPECT_EQ(guard.present(failure), row.guard_before);
    // A guard refuses the dry run before the chip is touched, as it refuses the load.
    EXPECT_EQ(ctl.board_used, !row.guard_before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Guards, CtlBootDryRun, ::testing::Values(
    DryBootCase{"NoGuard", false, 0},
    DryBootCase{"Guarded", true, 3}),
    test::ByLabel());
// clang-format on

// ---------------------------------------------------------------------------------------------
// Profiles that are not what they seem.

struct OddProfileCase {
    const char* label;
    const char* make;  // "symlink", "directory", "empty", "other-keys"
    std::vector<std::string> args;
    int status;
    const char* says;  // the start of the last line on standard error
};

class CtlOddProfiles : public ::testing::TestWithParam<OddProfileCase> {};

TEST_P(CtlOddProfiles, AreNeitherDeletedNorListedAsGood) {
    const OddProfileCase& row = GetParam();
    CtlRunner ctl;
    const std::string dir = ctl.dir / "profiles";
    fs::create_directories(dir);
    ASSERT_EQ(ctl.run({"-y", "save", "--profile", "good"}), 0) << ctl.console.err();
    const std::string target = ctl.dir / "kept.reg";
    test::write_file(target, "kept\n");
    const std::string make = row.make;
    const std::string odd = dir + "/odd.reg";
    if (make == "symlink") {
        fs::create_symlink(target, odd);
    } else if (make == "directory") {
        fs::create_directory(odd);
    } else if (make == "empty") {
        test::write_file(odd, "");
    } else {
        test::write_file(
            odd, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"REG11\"=dword:00000084\n");
    }
    ctl.console.clear();
    EXPECT_EQ(ctl.run(row.args), row.status);
    ASSERT_FALSE(ctl.err_lines().empty());
    EXPECT_TRUE(ctl.err_lines().back().starts_with(row.says)) << ctl.console.err();
    EXPECT_TRUE(fs::exists(fs::symlink_status(odd)));
    EXPECT_EQ(test::read_file(target), "kept\n");
    EXPECT_FALSE(ctl.board_used);
    if (row.args.front() == "profiles") {
        EXPECT_TRUE(ctl.console.out().starts_with("good ")) << ctl.console.out();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, CtlOddProfiles, ::testing::Values(
    OddProfileCase{"DeleteSymlink", "symlink", {"delete-profile", "odd"}, 1, "vantrelctl: cannot delete the profile odd ("},
    OddProfileCase{"DeleteDirectory", "directory", {"delete-profile", "odd"}, 1, "vantrelctl: cannot delete the profile odd ("},
    OddProfileCase{"ListEmpty", "empty", {"profiles"}, 1, "vantrelctl: profile odd: no saved settings in "},
    OddProfileCase{"ListOtherKeys", "other-keys", {"profiles"}, 1, "vantrelctl: profile odd: no saved settings in "},
    OddProfileCase{"ListDirectory", "directory", {"profiles"}, 1, "vantrelctl: profile odd: no saved settings in "}),
    test::ByLabel());
// clang-format on

// ---------------------------------------------------------------------------------------------
// diagnose's lines on the boot guard and the settings file, read as they are and never made.

struct FileLinesCase {
    const char* label;
    const char* guard;     // the guard's text, or nullptr for none
    const char* settings;  // the settings file's text, or nullptr for none
    const char* guard_line;
    const char* settings_line;  // after the path
};

class DiagnoseFileLines : public ::testing::TestWithParam<FileLinesCase> {};

TEST_P(DiagnoseFileLines, SayWhatIsThereAndMakeNothing) {
    const FileLinesCase& row = GetParam();
    test::TempDir dir;
    const std::string state = dir / "missing-state";
    const std::string settings = dir / "missing-config/vantrel/settings.reg";
    if (row.guard != nullptr) {
        fs::create_directories(state);
        test::write_file(state + "/boot-guard", row.guard);
    }
    if (row.settings != nullptr) {
        fs::create_directories(dir / "missing-config/vantrel");
        test::write_file(settings, row.settings);
    }
    const cli::DiagnoseReport report = cli::build_simulated_diagnose_report(
        cli::read_guard_fact(state), cli::read_settings_fact(settings));
    const std::string text = cli::diagnose_text(report);
    EXPECT_NE(text.find(row.guard_line), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(" settings      ") + settings + row.settings_line),
              std::string::npos)
        << text;
    EXPECT_EQ(fs::exists(state), row.guard != nullptr);
    EXPECT_EQ(fs::exists(dir / "missing-config"), row.settings != nullptr);
}

const char* const kSaved =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\n\"REG00\"=dword:00000000\n"
    "\"REG11\"=dword:00000084\n\"REG12\"=dword:00000084\n\"REG13\"=dword:0000001f\n"
    "\"REG1F\"=dword:00000041\n\"REG21\"=dword:00000000\n\"REG22\"=dword:00000000\n";
const char* const kPartial =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\n\"REG11\"=dword:00000084\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, DiagnoseFileLines, ::testing::Values(
    FileLinesCase{"Nothing", nullptr, nullptr, "ok     boot_guard    no boot guard at ", " is not there yet (\"vantrelctl --simulate save\" writes it)"},
    FileLinesCase{"FailedLoad", "The last boot-time load of the saved clock settings failed: Cannot Apply These Settings!\n", kSaved,
                  "wrong  boot_guard    ", ": REG00=0x00 REG11=0x84 REG12=0x84 REG13=0x1F REG1F=0x41 REG21=0x00 REG22=0x00"},
    FileLinesCase{"HungLoad", "A boot-time load of the saved clock settings started and has not finished.\nmore\n", kPartial,
                  "boot-guard is there: A boot-time load of the saved clock settings started and has not finished.; fix: load --at-boot is skipped",
                  ": it lacks REG00, REG12, REG13, REG1F, REG21, REG22, so \"Load Settings\" cannot use it; fix: correct or remove the file"},
    FileLinesCase{"NoSettingsInIt", nullptr, "REGEDIT4\n", "ok     boot_guard    ", " holds no saved clock settings yet"}),
    test::ByLabel());
// clang-format on

TEST(DiagnoseFileLines, AFailedLoadShowsItsCause) {
    test::TempDir dir;
    test::write_file(dir / "boot-guard",
                     "The last boot-time load of the saved clock settings failed: Cannot Apply "
                     "These Settings!\n");
    const cli::GuardFact fact = cli::read_guard_fact(dir.path());
    EXPECT_TRUE(fact.present);
    EXPECT_EQ(fact.path, dir / "boot-guard");
    EXPECT_EQ(fact.content, "Cannot Apply These Settings!");
}

}  // namespace
}  // namespace vantrel
