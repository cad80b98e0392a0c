// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "platform/linux/file_boot_guard.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

// vantrelctl's safety options on the simulated board: changing the clock in steps, reading the
// chip back, asking to keep a change, asking before writing to this machine's chip, and the
// boot guard.

namespace vantrel {
namespace {

using test::PrintTo;

using test::CtlRunner;

const std::string kInstant = "--simulate=pauses=instant";

bool has_line(const CtlRunner& ctl, const std::string& line) {
    for (const std::string& l : ctl.err_lines()) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

struct StepCase {
    const char* label;
    std::string board;
    std::vector<std::string> args;  // after "set"
    int status;
    unsigned workflows;
    double running_mhz;     // the CPU external clock the chip runs at the end
    const char* last_line;  // the last line on standard error, "" for none
};

class CtlStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(CtlStep, OneWorkflowPerStepAndStopsAtTheFirstFailure) {
    CtlRunner ctl;
    // Without the read-back, which would enter enhanced mode once more.
    std::vector<std::string> args = {GetParam().board, "set", "--no-verify"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    EXPECT_EQ(ctl.run(args), GetParam().status);
    EXPECT_EQ(ctl.workflows(), GetParam().workflows);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, GetParam().running_mhz);
    const std::vector<std::string> lines = ctl.err_lines();
    EXPECT_EQ(lines.empty() ? "" : lines.back(), GetParam().last_line);
}

// The default board runs at 133 MHz (N 132, M 31, CPU divider 3); a request of R MHz is
// N = R - 1, so R MHz exactly.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, CtlStep, ::testing::Values(
    StepCase{"Up", kInstant, {"--cpu-ext", "150", "--step", "5"}, 0, 4, 150.0, "vantrelctl: step 4 of 4: 150 MHz"},
    StepCase{"Down", kInstant, {"--cpu-ext", "120", "--step", "4"}, 0, 4, 120.0, "vantrelctl: step 4 of 4: 120 MHz"},
    StepCase{"WithinOneStep", kInstant, {"--cpu-ext", "136", "--step", "5"}, 0, 1, 136.0, ""},
    StepCase{"ExactSteps", kInstant, {"--cpu-ext", "143", "--step", "5"}, 0, 2, 143.0, "vantrelctl: step 2 of 2: 143 MHz"},
    // A request the apply refuses is not stepped toward.
    StepCase{"OutOfRange", kInstant, {"--cpu-ext", "260", "--step", "5"}, 2, 0, 133.0, "vantrelctl: the CPU external clock can be 100 to 250 MHz with this chip's dividers 3/3; 260 MHz was asked"},
    // The third workflow's commit fails: the chip stays at the second step's clock.
    StepCase{"FaultAtStepThree", kInstant + ",fault=device-error:word-write:reg=11:nth=3", {"--cpu-ext", "150", "--step", "5"}, 1, 3, 143.0, "vantrelctl: stopped at step 3 of 4: the CPU external clock is 143.0 MHz"},
    StepCase{"FaultAtTheLast", kInstant + ",fault=device-error:word-write:reg=11:nth=4", {"--cpu-ext", "150", "--step", "5"}, 1, 4, 148.0, "vantrelctl: stopped at the last step: the CPU external clock is 148.0 MHz"}),
    test::ByLabel());
// clang-format on

struct LoadStepCase {
    const char* label;
    const char* saved_on;
    const char* loaded_on;
    int status;
    unsigned workflows;
    double running_mhz;
};

class CtlLoadStep : public ::testing::TestWithParam<LoadStepCase> {};

TEST_P(CtlLoadStep, StepsOnlyTowardASetTheLoadTakes) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + "," + GetParam().saved_on, "save"}), 0) << ctl.console.err();
    EXPECT_EQ(
        ctl.run({kInstant + "," + GetParam().loaded_on, "load", "--step", "5", "--no-verify"}),
        GetParam().status);
    EXPECT_EQ(ctl.workflows(), GetParam().workflows);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, GetParam().running_mhz);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sets, CtlLoadStep, ::testing::Values(
    // 138, 143, 148, then the load itself at 150.
    LoadStepCase{"Up", "n=149", "hub=ba", 0, 4, 150.0},
    // 128, 123, then the load at 120.
    LoadStepCase{"Down", "n=119", "hub=ba", 0, 3, 120.0},
    // Saved on a board with other straps: the load refuses it, so nothing moves.
    LoadStepCase{"Refused", "dividers=4/3,n=149", "dividers=3/3", 2, 0, 133.0},
    LoadStepCase{"Near", "n=134", "hub=ba", 0, 1, 135.0}),
    test::ByLabel());
// clang-format on

struct VerifyCase {
    const char* label;
    std::string board;
    int status;
    const char* line;  // a line standard error must hold
};

class CtlVerify : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(CtlVerify, CatchesAChipThatDidNotTakeTheSetting) {
    CtlRunner ctl;
    EXPECT_EQ(ctl.run({GetParam().board, "set", "--cpu-ext", "150", "--delay-pci", "300ps",
                       "--spread", "on", "--verify"}),
              GetParam().status);
    EXPECT_TRUE(has_line(ctl, GetParam().line)) << ctl.console.err();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Faults, CtlVerify, ::testing::Values(
    VerifyCase{"TakesIt", kInstant, 0, "vantrelctl: verify: the chip holds and runs what was set"},
    // Detection writes none of these, so the apply's write is the first.
    VerifyCase{"DelaysDropped", kInstant + ",fault=drop-write:word-write:reg=21", 4, "vantrelctl: verify: REG21 holds 0x40; the group delays of CPU, PCI and SDRAM should make it 0x08 under mask 0x3F"},
    VerifyCase{"NDropped", kInstant + ",fault=drop-write:word-write:reg=11", 4, "vantrelctl: verify: REG11 holds 0x84; the PLL N should make it 0x95 under mask 0xFF"},
    VerifyCase{"SpreadDropped", kInstant + ",fault=drop-write:word-write:reg=00", 4, "vantrelctl: verify: REG00 holds 0x41; the spread spectrum on or off should make it 0x02 under mask 0x02"},
    // The registers hold the new N and M, but the latch never reached the chip.
    VerifyCase{"LatchDropped", kInstant + ",fault=drop-write:word-write:reg=1f:nth=1", 4, "vantrelctl: verify: the CPU runs at 997 MHz, but a CPU external clock of 150.0 MHz would make it about 1124 MHz: the chip does not run the new clock"},
    VerifyCase{"ReadBackFails", kInstant + ",fault=timeout:word-read:reg=22:nth=3", 4, "vantrelctl: verify: REG22 could not be read"}),
    test::ByLabel());
// clang-format on

struct DefaultVerifyCase {
    const char* label;
    std::string board;
    std::vector<std::string> args;
    int status;
    bool read_back;  // whether any verify line was said
};

class CtlVerifyByDefault : public ::testing::TestWithParam<DefaultVerifyCase> {};

TEST_P(CtlVerifyByDefault, ReadsBackUnlessToldNot) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + ",n=149", "save"}), 0) << ctl.console.err();
    std::vector<std::string> args = {GetParam().board};
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "STATE" ? ctl.state_dir() : arg);
    }
    EXPECT_EQ(ctl.run(args), GetParam().status) << ctl.console.err();
    EXPECT_EQ(ctl.console.err().find("vantrelctl: verify: ") != std::string::npos,
              GetParam().read_back)
        << ctl.console.err();
}

const std::string kNDropped = kInstant + ",fault=drop-write:word-write:reg=11";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, CtlVerifyByDefault, ::testing::Values(
    DefaultVerifyCase{"Set", kInstant, {"set", "--cpu-ext", "150"}, 0, true},
    DefaultVerifyCase{"SetDropped", kNDropped, {"set", "--cpu-ext", "150"}, 4, true},
    DefaultVerifyCase{"SetNoVerify", kNDropped, {"set", "--cpu-ext", "150", "--no-verify"}, 0, false},
    DefaultVerifyCase{"LastOneCounts", kNDropped, {"set", "--no-verify", "--cpu-ext", "150", "--verify"}, 4, true},
    DefaultVerifyCase{"LoadDropped", kNDropped, {"load"}, 4, true},
    DefaultVerifyCase{"LoadNoVerify", kNDropped, {"load", "--no-verify"}, 0, false},
    DefaultVerifyCase{"AtBootDropped", kNDropped, {"load", "--at-boot", "--state-dir", "STATE"}, 4, true},
    DefaultVerifyCase{"AtBoot", kInstant, {"load", "--at-boot", "--state-dir", "STATE"}, 0, true},
    // Nothing is read back after an apply that failed.
    DefaultVerifyCase{"ApplyFailed", kInstant + ",fault=device-error:word-write:reg=11", {"set", "--cpu-ext", "150"}, 1, false}),
    test::ByLabel());
// clang-format on

struct ConfirmCase {
    const char* label;
    std::vector<std::string> answers;  // typed at 1 s
    std::uint32_t typed_after_ms;
    std::vector<std::string> extra;  // more options of set
    int status;
    double running_mhz;
    std::uint8_t reg21;
    unsigned workflows;
    std::uint64_t waited_ms;
};

class CtlConfirm : public ::testing::TestWithParam<ConfirmCase> {};

TEST_P(CtlConfirm, KeepsOnYesAndPutsBackOtherwise) {
    const ConfirmCase& row = GetParam();
    CtlRunner ctl;
    ctl.terminal.set_interactive(false);
    for (const std::string& answer : row.answers) {
        ctl.terminal.type(answer, row.typed_after_ms);
    }
    std::vector<std::string> args = {kInstant,    "set",         "--cpu-ext",
                                     "150",       "--delay-pci", "300ps",
                                     "--confirm", "30",          "--no-verify"};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    EXPECT_EQ(ctl.run(args), row.status);
    EXPECT_NE(ctl.console.err().find("Keep these settings? [y/N] "), std::string::npos);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, row.running_mhz);
    EXPECT_EQ(ctl.chip_registers[REG21], row.reg21);
    EXPECT_EQ(ctl.workflows(), row.workflows);
    EXPECT_EQ(ctl.terminal.waited_ms(), row.waited_ms);
    EXPECT_EQ(ctl.terminal.reads(), 1u);
}

// Back means 133 MHz with N 132 and M 31 again, and REG21 as it powered up (0x40).
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Answers, CtlConfirm,
    ::testing::Values(    ConfirmCase{"Yes", {"y"}, 1000, {}, 0, 150.0, 0x48, 1, 1000},
    ConfirmCase{"YesInWords", {" YES "}, 29000, {}, 0, 150.0, 0x48, 1, 29000},
    ConfirmCase{"No", {"n"}, 1000, {}, 5, 133.0, 0x40, 2, 1000},
    ConfirmCase{"SomethingElse", {"ok"}, 1000, {}, 5, 133.0, 0x40, 2, 1000},
    ConfirmCase{"TooLate", {"y"}, 31000, {}, 5, 133.0, 0x40, 2, 30000},
    ConfirmCase{"InputEnded", {}, 0, {}, 5, 133.0, 0x40, 2, 0},
    // 138, 143, 148, 150; back 145, 140, 135, then 133 exactly.
    ConfirmCase{ "BackInSteps", {"n"}, 1000, {"--step", "5"}, 5, 133.0, 0x40, 8, 1000}),
    test::ByLabel());
// clang-format on

TEST(CtlConfirmNothingChanged, DoesNotAsk) {
    CtlRunner ctl;
    ctl.terminal.type("n");
    EXPECT_EQ(ctl.run({kInstant, "set", "--spread", "off", "--confirm", "30"}), 0);
    EXPECT_EQ(ctl.terminal.reads(), 0u);
}

struct AskCase {
    const char* label;
    std::vector<std::string> args;
    bool interactive;
    std::vector<std::string> answers;
    int status;
    bool touched;        // whether the chip saw any transfer
    const char* prompt;  // what was asked, or nullptr
};

class CtlThisMachine : public ::testing::TestWithParam<AskCase> {};

TEST_P(CtlThisMachine, AsksBeforeTheFirstWrite) {
    CtlRunner ctl;
    ctl.terminal.set_interactive(GetParam().interactive);
    for (const std::string& answer : GetParam().answers) {
        ctl.terminal.type(answer);
    }
    EXPECT_EQ(ctl.run(GetParam().args), GetParam().status);
    EXPECT_EQ(ctl.board_used, true);
    EXPECT_EQ(!ctl.transfers.empty(), GetParam().touched);
    if (GetParam().prompt != nullptr) {
        EXPECT_NE(ctl.console.err().find(GetParam().prompt), std::string::npos);
    } else {
        EXPECT_EQ(ctl.console.err().find("[y/N]"), std::string::npos);
    }
}

constexpr const char* kClockQuestion =
    "vantrelctl: this changes the clock of the running machine; continue? [y/N] ";
constexpr const char* kFindQuestion =
    "vantrelctl: finding the clock chip writes to it; continue? [y/N] ";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, CtlThisMachine, ::testing::Values(
    AskCase{"NoTerminal", {"set", "--cpu-ext", "150"}, false, {"y"}, 3, false, nullptr},
    AskCase{"NoTerminalButYes", {"-y", "set", "--cpu-ext", "150"}, false, {}, 0, true, nullptr},
    AskCase{"AnsweredYes", {"set", "--cpu-ext", "150"}, true, {"y"}, 0, true, kClockQuestion},
    AskCase{"AnsweredNo", {"load"}, true, {"n"}, 3, false, kClockQuestion},
    AskCase{"NoAnswer", {"set", "--depth", "2"}, true, {}, 3, false, kClockQuestion},
    AskCase{"ShowAsksToo", {"show"}, true, {"yes"}, 0, true, kFindQuestion},
    // A dry run changes no clock, but finding the chip still writes to it.
    AskCase{"DryRunAsksToFind", {"set", "--cpu-ext", "150", "--dry-run"}, true, {"y"}, 0, true, kFindQuestion},
    AskCase{"DryRunWithoutTerminal", {"load", "--dry-run"}, false, {}, 3, false, nullptr}),
    test::ByLabel());
// clang-format on

TEST(CtlThisMachineRefused, SaysWhyAndTouchesNothing) {
    CtlRunner ctl;
    ctl.machine_refused = true;
    EXPECT_EQ(ctl.run({"-y", "show"}), 3);
    EXPECT_EQ(ctl.console.err(), "vantrelctl: no access to the hardware (test)\n");
    EXPECT_FALSE(ctl.board_used);
}

// The boot-time load, run after run on one state directory and settings file.
struct BootStep {
    std::string board;  // board options for a load, or "" to clear the guard
    int status;
    bool guard_after;
    bool applied;  // whether the load ran a workflow
};

struct BootCase {
    const char* label;
    const char* saved_on;  // nullptr: nothing saved
    bool guard_before;     // a guard left by a boot-time load that never returned
    std::vector<BootStep> steps;
};

class CtlBootGuard : public ::testing::TestWithParam<BootCase> {};

TEST_P(CtlBootGuard, NoLoadAfterOneThatNeverFinished) {
    CtlRunner ctl;
    if (GetParam().saved_on != nullptr) {
        ASSERT_EQ(ctl.run({kInstant + "," + GetParam().saved_on, "save"}), 0);
    }
    platform::FileBootGuard guard(ctl.state_dir());
    if (GetParam().guard_before) {
        ASSERT_TRUE(guard.set()) << guard.problem();
    }
    int i = 0;
    for (const BootStep& step : GetParam().steps) {
        ++i;
        const std::vector<std::string> args =
            step.board.empty()
                ? std::vector<std::string>{"clear-guard", "--state-dir", ctl.state_dir()}
                : std::vector<std::string>{kInstant + "," + step.board,
                                           "load",
                                           "--at-boot",
                                           "--state-dir",
                                           ctl.state_dir(),
                                           "--no-verify"};
        EXPECT_EQ(ctl.run(args), step.status) << "run " << i << ": " << ctl.console.err();
        std::string failure;
        EXPECT_EQ(guard.present(failure), step.guard_after) << "run " << i;
        EXPECT_EQ(ctl.workflows() == 1, step.applied) << "run " << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boots, CtlBootGuard, ::testing::Values(
    BootCase{"CleanRunLeavesNoGuard", "n=149", false, {{"hub=ba", 0, false, true}}},
    BootCase{"GuardFromAHungRunStopsTheNext", "n=149", true, {{"hub=ba", 3, true, false}, {"hub=ba", 3, true, false}}},
    BootCase{"ClearGuardReArms", "n=149", true, {{"hub=ba", 3, true, false}, {"", 0, false, false}, {"hub=ba", 0, false, true}}},
    // A load that fails cleanly keeps the guard, saying why, until the user clears it.
    BootCase{"FailedLoadKeepsTheGuard", "dividers=4/3", false, {{"dividers=3/3", 2, true, false}, {"hub=ba", 3, true, false}}},
    BootCase{"NothingFound", "n=149", false, {{"hub=none", 1, true, false}}}),
    test::ByLabel());
// clang-format on

TEST(CtlBootGuardText, SaysWhyTheLoadIsSkipped) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + ",dividers=4/3", "save"}), 0);
    const std::vector<std::string> boot = {kInstant, "load", "--at-boot", "--state-dir",
                                           ctl.state_dir()};
    EXPECT_EQ(ctl.run(boot), 2);
    EXPECT_EQ(ctl.run(boot), 3);
    EXPECT_NE(ctl.console.err().find(
                  "vantrelctl: not loading the saved settings: the boot guard " + ctl.state_dir() +
                  "/boot-guard is still there.\nThe last boot-time load of the saved clock "
                  "settings failed: Cannot Apply These Settings!\n"),
              std::string::npos)
        << ctl.console.err();
    EXPECT_FALSE(ctl.board_used);
}

TEST(CtlBootGuardText, NoGuardNoLoad) {
    CtlRunner ctl;
    test::write_file(ctl.dir / "state", "a file where the directory should be");
    EXPECT_EQ(ctl.run({kInstant, "load", "--at-boot", "--state-dir", ctl.state_dir()}), 3);
    EXPECT_TRUE(ctl.transfers.empty());
    EXPECT_NE(ctl.console.err().find("; not loading without a boot guard"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
