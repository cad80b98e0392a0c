// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "ctl/failure_text.h"
#include "platform/linux/file_boot_guard.h"
#include "platform/linux/posix_stop_signals.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

// vantrelctl stopped by a signal at each moment of its bus work, on the simulated board: the
// signal is acted on only where a transfer sequence ends, an unfinished change goes back, and
// the chip is left as it was or as the finished change, never between; and a simulated board
// kept in a file from one run to the next.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";
constexpr StopSignal kInt{SIGINT, "SIGINT"};
constexpr StopSignal kTerm{SIGTERM, "SIGTERM"};
constexpr StopSignal kHup{SIGHUP, "SIGHUP"};
constexpr StopSignal kQuit{SIGQUIT, "SIGQUIT"};

// Detection makes 13 transfers; each apply 15 after it; a read-back 9.
constexpr std::size_t kDetection = 13;
constexpr std::size_t kApply = 15;
constexpr std::size_t kBeforeStart = 0;

// The registers a change writes.
constexpr std::uint8_t kWatched[] = {REG00, REG11, REG12, REG13, REG21, REG22};

bool has_line(const CtlRunner& ctl, const std::string& line) {
    for (const std::string& l : ctl.err_lines()) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

struct StopCase {
    const char* label;
    std::vector<std::string> args;  // after the board
    StopSignal signal;
    std::size_t at_transfer;  // kBeforeStart: already there when the program starts
    bool at_question;         // instead: as the --confirm question waits
    std::size_t transfers;    // made in all: a transfer sequence is never cut
    unsigned workflows;
    double running_mhz;  // 133: as before the command
    bool kept;           // the change stays (else the chip holds its registers from before)
    const char* line;    // a line standard error must hold
};

class CtlStopped : public ::testing::TestWithParam<StopCase> {};

TEST_P(CtlStopped, LeavesTheChipAsItWasOrAsTheFinishedChange) {
    const StopCase& row = GetParam();
    CtlRunner before;
    ASSERT_EQ(before.run({kInstant, "show"}), 0);

    CtlRunner ctl;
    ctl.terminal.set_interactive(false);
    if (row.at_question) {
        ctl.terminal.type("y", 1000);
        ctl.terminal.on_read = [&] { ctl.stops.arrive(row.signal); };
    } else if (row.at_transfer == kBeforeStart) {
        ctl.stops.arrive(row.signal);
    } else {
        ctl.stop_at.push_back({row.at_transfer, row.signal});
    }
    std::vector<std::string> args = {kInstant};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(ctl.run(args), 128 + row.signal.number) << ctl.console.err();

    EXPECT_EQ(ctl.transfers.size(), row.transfers);
    EXPECT_EQ(ctl.workflows(), row.workflows);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, row.running_mhz);
    ASSERT_EQ(ctl.chip_registers.size(), before.chip_registers.size());
    EXPECT_EQ(ctl.chip_registers[REG10] & kReg10EnhancedMode, 0) << "left in enhanced mode";
    if (!row.kept) {
        for (const std::uint8_t reg : kWatched) {
            EXPECT_EQ(ctl.chip_registers[reg], before.chip_registers[reg])
                << cli::register_name(reg);
        }
    }
    EXPECT_TRUE(has_line(ctl, row.line)) << ctl.console.err();
}

// The change: 133 to 150 MHz, CPU group delay 300 ps, spread spectrum on at depth 3.
const std::vector<std::string> kSet = {"set",   "--cpu-ext",  "150", "--delay-cpu",
                                       "300ps", "--spread",   "on",  "--depth",
                                       "3",     "--no-verify"};
std::vector<std::string> with(std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Moments, CtlStopped, ::testing::Values(
    StopCase{"BeforeTheFirstTransfer", kSet, kInt, kBeforeStart, false, 0, 0, 133.0, false,
             "vantrelctl: SIGINT: stopped; the chip is as the command found it"},
    // Detection runs to its end and leaves enhanced mode; nothing is applied.
    StopCase{"InDetection", kSet, kTerm, 5, false, kDetection, 0, 133.0, false,
             "vantrelctl: SIGTERM: stopped; the chip is as the command found it, at a CPU external clock of 133.0 MHz"},
    StopCase{"InDetectionOfShow", {"show"}, kQuit, kDetection, false, kDetection, 0, 133.0, false,
             "vantrelctl: SIGQUIT: stopped; the chip is as the command found it, at a CPU external clock of 133.0 MHz"},
    // The apply ends, then the apply that puts the settings back.
    StopCase{"InTheApply", kSet, kHup, kDetection + 3, false, kDetection + 2 * kApply, 2, 133.0, false,
             "vantrelctl: SIGHUP: stopped; the chip is back at the settings it had before the command, shown above"},
    StopCase{"InTheApplysLastTransfer", kSet, kInt, kDetection + kApply, false, kDetection + 2 * kApply, 2, 133.0, false,
             "vantrelctl: putting the previous settings back"},
    // Steps 138, 143, 148, 150: stopped in step 2, back by a step to 138, then to 133.
    StopCase{"InStepTwo", with(kSet, {"--step", "5"}), kInt, kDetection + kApply + 4, false, kDetection + 4 * kApply, 4, 133.0, false,
             "vantrelctl: SIGINT: stopped before step 3 of 4: the CPU external clock is 143.0 MHz"},
    // Stopped in the last step: 150, back by 145, 140, 135 to 133.
    StopCase{"InTheLastStep", with(kSet, {"--step", "5"}), kTerm, kDetection + 3 * kApply + 1, false, kDetection + 8 * kApply, 8, 133.0, false,
             "vantrelctl: step back: 135 MHz"},
    // The read-back is part of the command: stopped there, the change is still undone.
    // The read-back enters enhanced mode as an apply does, so it counts as one more workflow.
    StopCase{"InTheReadBack", {"set", "--cpu-ext", "150", "--verify"}, kInt, kDetection + kApply + 2, false, kDetection + 2 * kApply + 9, 3, 133.0, false,
             "vantrelctl: SIGINT: the change is not finished, so the settings from before go back; a second signal does not stop that"},
    StopCase{"AtTheQuestion", with(kSet, {"--confirm", "30"}), kHup, 0, true, kDetection + 2 * kApply, 2, 133.0, false,
             "vantrelctl: SIGHUP at the question: taken as no"},
    // The dry run's reading of the registers detection did not deliver runs to its end; no
    // apply follows.
    StopCase{"InTheDryRunsReading", with(kSet, {"--step", "5", "--dry-run"}), kInt, kDetection + 2, false, kDetection + 14, 1, 133.0, false,
             "vantrelctl: SIGINT: stopped; the chip is as the command found it, at a CPU external clock of 133.0 MHz"}),
    test::ByLabel());
// clang-format on

TEST(CtlStoppedTwice, PuttingBackGoesOnAndSaysSo) {
    CtlRunner ctl;
    ctl.stop_at = {{kDetection + 3, kInt}, {kDetection + kApply + 5, kInt}};
    EXPECT_EQ(ctl.run(with({kInstant}, kSet)), 128 + SIGINT);
    EXPECT_EQ(ctl.workflows(), 2u);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, 133.0);
    EXPECT_EQ(ctl.stops.count(), 2u);
    EXPECT_TRUE(has_line(ctl,
                         "vantrelctl: another signal came: the previous settings still go back; "
                         "putting them back is not stopped"))
        << ctl.console.err();
}

TEST(CtlStoppedAtBoot, KeepsTheGuard) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + ",n=149", "save"}), 0) << ctl.console.err();
    ctl.stop_at = {{kDetection + 2, kTerm}};
    EXPECT_EQ(ctl.run({kInstant, "load", "--at-boot", "--state-dir", ctl.state_dir()}),
              128 + SIGTERM);
    EXPECT_DOUBLE_EQ(ctl.running_cpu_ext_mhz, 133.0);
    platform::FileBootGuard guard(ctl.state_dir());
    std::string failure;
    EXPECT_TRUE(guard.present(failure));
    EXPECT_NE(guard.record().find("stopped by SIGTERM"), std::string::npos) << guard.record();
}

// The signals this machine's programs take, sent for real to this process.
struct PosixCase {
    const char* label;
    int number;
    const char* name;
};

class PosixStops : public ::testing::TestWithParam<PosixCase> {};

TEST_P(PosixStops, AreNotedNotActedOn) {
    const PosixCase& row = GetParam();
    {
        const platform::PosixStopSignals stops;
        EXPECT_FALSE(stops.stopping());
        ASSERT_EQ(std::raise(row.number), 0);
        ASSERT_EQ(std::raise(SIGINT), 0);
        EXPECT_EQ(stops.first().number, row.number);
        EXPECT_EQ(stops.first().name, row.name);
        EXPECT_EQ(stops.count(), 2u);
    }
    // Ignored before: stays ignored, and nothing is noted.
    struct sigaction ignore {};
    struct sigaction earlier {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(row.number, &ignore, &earlier), 0);
    {
        const platform::PosixStopSignals stops;
        ASSERT_EQ(std::raise(row.number), 0);
        EXPECT_FALSE(stops.stopping());
    }
    ASSERT_EQ(::sigaction(row.number, &earlier, nullptr), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Signals, PosixStops, ::testing::Values(
    PosixCase{"Int", SIGINT, "SIGINT"},
    PosixCase{"Term", SIGTERM, "SIGTERM"},
    PosixCase{"Hup", SIGHUP, "SIGHUP"},
    PosixCase{"Quit", SIGQUIT, "SIGQUIT"}),
    test::ByLabel());
// clang-format on

// Two runs on one board file: the second sees what the first left.
struct KeptCase {
    const char* label;
    std::vector<std::string> first;  // after the board
    std::size_t stop_first_at;       // 0: not stopped
    int first_status;
    double second_mhz;  // the clock `show` finds on the next run
};

class CtlKeptBoard : public ::testing::TestWithParam<KeptCase> {};

TEST_P(CtlKeptBoard, TheNextRunSeesWhatTheLastLeft) {
    const KeptCase& row = GetParam();
    CtlRunner ctl;
    const std::string board = kInstant + ",board=" + (ctl.dir / "board.txt");
    if (row.stop_first_at != 0) {
        ctl.stop_at = {{row.stop_first_at, kInt}};
    }
    EXPECT_EQ(ctl.run(with({board}, row.first)), row.first_status) << ctl.console.err();
    ASSERT_TRUE(test::file_exists(ctl.dir / "board.txt"));
    EXPECT_FALSE(test::file_exists(ctl.dir / "board.txt.tmp"));
    const std::vector<std::uint8_t> left = ctl.chip_registers;

    CtlRunner next;
    EXPECT_EQ(next.run({board, "show"}), 0) << next.console.err();
    EXPECT_DOUBLE_EQ(next.running_cpu_ext_mhz, row.second_mhz);
    // Detection writes REG10 and nothing else the first run left is touched by it.
    for (const std::uint8_t reg : {REG00, REG11, REG12, REG13, REG17, REG1F, REG21, REG22}) {
        EXPECT_EQ(next.chip_registers[reg], left[reg]) << cli::register_name(reg);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, CtlKeptBoard, ::testing::Values(
    KeptCase{"Show", {"show"}, 0, 0, 133.0},
    KeptCase{"Set", {"set", "--cpu-ext", "140", "--delay-pci", "150ps"}, 0, 0, 140.0},
    KeptCase{"SetStopped", {"set", "--cpu-ext", "140", "--no-verify"}, kDetection + 2, 128 + SIGINT, 133.0}),
    test::ByLabel());
// clang-format on

struct BoardFileCase {
    const char* label;
    std::string board;        // the --simulate options, with @ for the test's directory
    const char* file_before;  // nullptr: none
    int status;
    const char* line;  // a line standard error must hold
};

class CtlBoardFile : public ::testing::TestWithParam<BoardFileCase> {};

TEST_P(CtlBoardFile, RefusesWhatItCannotKeep) {
    const BoardFileCase& row = GetParam();
    CtlRunner ctl;
    const auto here = [&ctl](std::string text) {
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@')) {
            text.replace(at, 1, ctl.dir.path());
        }
        return text;
    };
    const std::string board = here(row.board);
    if (row.file_before != nullptr) {
        test::write_file(ctl.dir / "board.txt", row.file_before);
    }
    EXPECT_EQ(ctl.run({board, "show"}), row.status);
    EXPECT_TRUE(has_line(ctl, here(row.line))) << ctl.console.err();
    if (row.file_before != nullptr) {
        EXPECT_EQ(test::read_file(ctl.dir / "board.txt"), row.file_before);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, CtlBoardFile, ::testing::Values(
    // Refused and left as it was, not replaced by a board started afresh.
    BoardFileCase{"Malformed", kInstant + ",board=@/board.txt", "00: zz\n", 2,
                  "vantrelctl: @/board.txt: no register rows (lines such as \"00: 02 ff 00 ...\")"},
    BoardFileCase{"WithDump", kInstant + ",board=@/board.txt,dump=@/board.txt", nullptr, 2,
                  "vantrelctl: --simulate=pauses=instant,board=@/board.txt,dump=@/board.txt: dump= and board= both give the chip's registers; give one of them"},
    // The command itself worked; the board could not be kept.
    BoardFileCase{"NoDirectory", kInstant + ",board=@/none/board.txt", nullptr, 1,
                  "vantrelctl: the simulated board is not kept in @/none/board.txt: cannot open the directory @/none: No such file or directory"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
