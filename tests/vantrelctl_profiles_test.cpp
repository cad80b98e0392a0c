// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ctl/profiles.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

// vantrelctl's named profiles: their names, their arguments, and save, list, load and delete
// on the profile files beside the settings file.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

struct NameCase {
    const char* label;
    std::string name;
    bool valid;
};

class ProfileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProfileNames, OnlyPlainFileNames) {
    EXPECT_EQ(cli::valid_profile_name(GetParam().name), GetParam().valid);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, ProfileNames, ::testing::Values(
    NameCase{"Letters", "fast", true},
    NameCase{"EveryKind", "Az09._-", true},
    NameCase{"DotInside", "a.b", true},
    NameCase{"LeadingDash", "-x", true},
    NameCase{"SixtyFour", std::string(64, 'p'), true},
    NameCase{"SixtyFive", std::string(65, 'p'), false},
    NameCase{"Empty", "", false},
    NameCase{"LeadingDot", ".hidden", false},
    NameCase{"DotDot", "..", false},
    NameCase{"Slash", "a/b", false},
    NameCase{"Blank", "a b", false},
    NameCase{"NonAscii", "caf\xc3\xa9", false},
    NameCase{"Backslash", "a\\b", false}),
    test::ByLabel());
// clang-format on

// Reading the profile directory: the names among its entries, and a read that fails part-way
// (EOVERFLOW from a 32-bit readdir, EIO from a failing disk) is said, never taken for its end.
struct ReadCase {
    const char* label;
    std::vector<const char*> entries;
    int failure;  // what the read after the last entry gives: 0 is the end
    bool read;
    std::vector<std::string> names;
};

class ProfileDirectory : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileDirectory, ReadToItsEnd) {
    const ReadCase& row = GetParam();
    std::size_t next = 0;
    std::vector<std::string> names{"kept"};
    std::string error;
    const bool read = cli::profile_names_in(
        [&](int& failure) -> const char* {
            if (next < row.entries.size()) {
                failure = 0;
                return row.entries[next++];
            }
            failure = row.failure;
            return nullptr;
        },
        names, error);
    EXPECT_EQ(read, row.read);
    if (row.read) {
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(error, "");
    } else {
        EXPECT_EQ(names, std::vector<std::string>{"kept"});
        EXPECT_EQ(error, std::strerror(row.failure));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Entries, ProfileDirectory, ::testing::Values(
    ReadCase{"Empty", {".", ".."}, 0, true, {}},
    ReadCase{"SortedProfilesOnly", {"zeta.reg", ".", "a.reg", ".hidden.reg", ".reg", "notes.txt", "b.reg.bak", "m.reg"}, 0, true, {"a", "m", "zeta"}},
    ReadCase{"OverflowAfterEntries", {"a.reg", "b.reg"}, EOVERFLOW, false, {}},
    ReadCase{"OverflowAtOnce", {}, EOVERFLOW, false, {}},
    ReadCase{"InputOutputError", {"a.reg"}, EIO, false, {}}),
    test::ByLabel());
// clang-format on

struct ArgumentCase {
    const char* label;
    std::vector<std::string> args;
    std::string error;  // the first line on standard error
};

class ProfileArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ProfileArguments, RefusedWithExitTwoBeforeTheChip) {
    CtlRunner ctl;
    EXPECT_EQ(ctl.run(GetParam().args), 2);
    EXPECT_EQ(ctl.console.out(), "");
    std::string error = GetParam().error;
    // A simulated board's profiles are its own, apart from this machine's.
    for (const auto& [mark, dir] :
         {std::pair<std::string, std::string>{"SIMULATED", ctl.dir / "simulated/profiles"},
          {"PROFILES", ctl.dir / "profiles"}}) {
        const std::size_t at = error.find(mark);
        if (at != std::string::npos) {
            error.replace(at, mark.size(), dir);
        }
    }
    ASSERT_FALSE(ctl.err_lines().empty());
    EXPECT_EQ(ctl.err_lines().front(), "vantrelctl: " + error);
    EXPECT_FALSE(ctl.board_used);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Arguments, ProfileArguments, ::testing::Values(
    ArgumentCase{"HiddenName", {kInstant, "save", "--profile", ".x"}, "--profile .x: \".x\" is not a profile name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot"},
    ArgumentCase{"PathAsName", {kInstant, "load", "--profile=../x"}, "--profile=../x: \"../x\" is not a profile name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot"},
    ArgumentCase{"EmptyName", {kInstant, "save", "--profile="}, "--profile=: \"\" is not a profile name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot"},
    ArgumentCase{"DeleteBadName", {"delete-profile", "a/b"}, "\"a/b\" is not a profile name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot"},
    ArgumentCase{"WithSettings", {kInstant, "load", "--profile", "a", "--settings", "s.reg"}, "--profile: a profile is a settings file of its own; give it or --settings"},
    ArgumentCase{"DeleteWithoutName", {"delete-profile"}, "delete-profile needs the NAME of a profile"},
    ArgumentCase{"DeleteTwoNames", {"delete-profile", "a", "b"}, "unexpected \"b\" after the command delete-profile"},
    ArgumentCase{"DeleteMissingOnABoard", {kInstant, "delete-profile", "none"}, "there is no profile none (SIMULATED/none.reg)"},
    ArgumentCase{"ProfileOfShow", {kInstant, "show", "--profile", "a"}, "--profile a: not an option of show"},
    ArgumentCase{"LoadMissing", {kInstant, "load", "--profile", "none", "--at-boot"}, "there is no profile none (SIMULATED/none.reg)"},
    ArgumentCase{"DeleteMissing", {"delete-profile", "none"}, "there is no profile none (PROFILES/none.reg)"}),
    test::ByLabel());
// clang-format on

struct ProfileCase {
    const char* label;
    const char* saved_on;  // the board the profile is saved from
    std::vector<std::string> load_options;
    const char* listed;   // the line `profiles` prints for it
    const char* cpu_ext;  // the line show prints after the load
    unsigned workflows;   // the load's entries into enhanced mode: one per step, one to read back
};

class Profiles : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(Profiles, SaveListLoadDelete) {
    const ProfileCase& row = GetParam();
    CtlRunner ctl;
    // All on the simulated board, whose profiles are its own.
    const std::string file = ctl.dir / "simulated/profiles/p.reg";
    ASSERT_EQ(ctl.run({kInstant + "," + row.saved_on, "save", "--profile", "p"}), 0)
        << ctl.console.err();
    EXPECT_TRUE(exists(file));
    EXPECT_FALSE(exists(ctl.settings_path()));
    EXPECT_FALSE(exists(ctl.simulated_settings_path()));

    ctl.console.clear();
    ASSERT_EQ(ctl.run({kInstant, "profiles"}), 0) << ctl.console.err();
    EXPECT_EQ(ctl.console.out(), row.listed);
    EXPECT_FALSE(ctl.board_used);

    ctl.console.clear();
    std::vector<std::string> args{kInstant, "load",        "--profile",
                                  "p",      "--state-dir", ctl.state_dir()};
    args.insert(args.end(), row.load_options.begin(), row.load_options.end());
    EXPECT_EQ(ctl.run(args), 0) << ctl.console.err();
    EXPECT_NE(ctl.console.out().find(row.cpu_ext), std::string::npos) << ctl.console.out();
    EXPECT_EQ(ctl.workflows(), row.workflows);

    ctl.console.clear();
    EXPECT_EQ(ctl.run({kInstant, "delete-profile", "p"}), 0);
    EXPECT_EQ(ctl.console.err(), "vantrelctl: deleted the profile p\n");
    EXPECT_FALSE(exists(file));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sets, Profiles, ::testing::Values(
    ProfileCase{"Plain", "n=149", {}, "p                    CPU 150.000  PCI 37.500  SDRAM 150.000  3V66 75.000 MHz, spread off, depth 0, model 0\n", "CPU external      :  150.000 MHz", 2},
    ProfileCase{"Spread", "n=140,spread=on,depth=3,model=5", {"--verify", "--step", "5"}, "p                    CPU 141.000  PCI 35.250  SDRAM 141.000  3V66 70.500 MHz, spread on, depth 3, model 5\n", "CPU external      :  141.000 MHz", 3},
    ProfileCase{"AtBoot", "n=145", {"--at-boot"}, "p                    CPU 146.000  PCI 36.500  SDRAM 146.000  3V66 73.000 MHz, spread off, depth 0, model 0\n", "CPU external      :  146.000 MHz", 2}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
