// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "clockgen/registers.h"
#include "ctl/dry_run_report.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

// vantrelctl's --dry-run: it prints exactly the writes the same command then makes, keeps all of
// them from the chip, and refuses what the apply refuses.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

// A write as the dry run prints it or as the board saw it: the register and its new value.
struct Write {
    unsigned reg;
    unsigned value;
    bool operator==(const Write&) const = default;
};

void PrintTo(const Write& w, std::ostream* os) {
    *os << "REG" << std::hex << w.reg << "=0x" << w.value;
}

std::vector<Write> printed_writes(const std::string& out) {
    std::vector<Write> writes;
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t end = out.find('\n', at);
        const std::string line = out.substr(at, end - at);
        at = end == std::string::npos ? out.size() : end + 1;
        unsigned reg = 0;
        unsigned before = 0;
        unsigned after = 0;
        if (std::sscanf(line.c_str(), "  REG%2X  0x%2X -> 0x%2X", &reg, &before, &after) == 3) {
            writes.push_back({reg, after});
        }
    }
    return writes;
}

// The writes the board saw after those of detection (two block writes, then leaving enhanced
// mode with a word write).
std::vector<Write> board_writes_after_detection(const CtlRunner& ctl) {
    std::vector<Write> writes;
    for (const sim::TransferRecord& t : ctl.transfers) {
        if (t.kind == sim::TransferKind::WordWrite && t.data.size() == 2) {
            writes.push_back({t.reg, t.data[1]});
        } else if (t.kind == sim::TransferKind::BlockWrite && t.data.size() > REG10) {
            writes.push_back({REG10, t.data[REG10]});
        }
    }
    constexpr std::size_t kDetectionWrites = 3;
    return writes.size() < kDetectionWrites
               ? std::vector<Write>{}
               : std::vector<Write>(writes.begin() + kDetectionWrites, writes.end());
}

double printed_cpu_ext_after(const std::string& out) {
    const std::size_t at = out.find("\nCPU external ");
    double before = 0.0;
    double after = 0.0;
    if (at == std::string::npos ||
        std::sscanf(out.c_str() + at, "\nCPU external %lf MHz %lf MHz", &before, &after) != 2) {
        return 0.0;
    }
    return after;
}

struct PlanCase {
    const char* label;
    const char* saved_on;  // board options of a save made first, "" for none
    std::string board;     // after pauses=instant
    std::vector<std::string> args;
    bool on_ports = true;  // the board's hub sees each transfer; the kernel's path keeps its own
};

class CtlDryRun : public ::testing::TestWithParam<PlanCase> {};

TEST_P(CtlDryRun, PrintsTheWritesTheCommandMakesAndSendsNone) {
    const PlanCase& row = GetParam();
    const std::string board = "--simulate=pauses=instant" + row.board;
    const auto prepared = [&row](CtlRunner& ctl) {
        if (*row.saved_on != '\0') {
            ASSERT_EQ(ctl.run({std::string("--simulate=pauses=instant,") + row.saved_on, "save"}),
                      0)
                << ctl.console.err();
        }
    };

    CtlRunner shown;
    ASSERT_EQ(shown.run({board, "show"}), 0) << shown.console.err();

    CtlRunner dry;
    prepared(dry);
    std::vector<std::string> args = {board};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back("--dry-run");
    ASSERT_EQ(dry.run(args), 0) << dry.console.err();
    EXPECT_EQ(dry.err_lines().back(),
              "vantrelctl: dry run: nothing of the apply was sent to the chip");
    // Finding the chip and reading it leave it as a show does.
    EXPECT_EQ(dry.chip_registers, shown.chip_registers);
    EXPECT_DOUBLE_EQ(dry.running_cpu_ext_mhz, shown.running_cpu_ext_mhz);

    CtlRunner real;
    prepared(real);
    args.back() = "--no-verify";
    ASSERT_EQ(real.run(args), 0) << real.console.err();
    const std::vector<Write> printed = printed_writes(dry.console.out());
    ASSERT_FALSE(printed.empty()) << dry.console.out();
    if (row.on_ports) {
        EXPECT_EQ(printed, board_writes_after_detection(real)) << dry.console.out();
    }
    std::vector<std::uint8_t> predicted = shown.chip_registers;
    for (const Write& w : printed) {
        predicted.at(w.reg) = static_cast<std::uint8_t>(w.value);
    }
    EXPECT_EQ(predicted, real.chip_registers) << dry.console.out();
    EXPECT_NEAR(printed_cpu_ext_after(dry.console.out()), real.running_cpu_ext_mhz, 0.0005);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, CtlDryRun, ::testing::Values(
    PlanCase{"EverySetting", "", "", {"set", "--cpu-ext", "150", "--delay-pci", "300ps", "--delay-3v66", "450ps", "--spread", "on", "--depth", "5", "--model", "3"}},
    PlanCase{"NothingChanges", "", "", {"set", "--spread", "off"}},
    PlanCase{"SpreadOff", "", ",spread=on", {"set", "--spread", "off"}},
    PlanCase{"StepsUp", "", "", {"set", "--cpu-ext", "150", "--step", "5"}},
    PlanCase{"StepsDown", "", ",dividers=4/3", {"set", "--cpu-ext", "90", "--step", "4"}},
    PlanCase{"OverTheKernel", "", "", {"--bus", "kernel", "set", "--cpu-ext", "140", "--delay-cpu", "150ps"}, false},
    PlanCase{"Load", "n=149,spread=on", ",hub=ba", {"load"}},
    PlanCase{"LoadInSteps", "n=119", "", {"load", "--step", "5"}}),
    test::ByLabel());
// clang-format on

struct RefusalCase {
    const char* label;
    std::string board;  // after pauses=instant
    std::vector<std::string> args;
    int status;
    const char* line;      // a line standard error holds
    bool as_apply = true;  // the command without --dry-run fails with the same messages
};

class CtlDryRunRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CtlDryRunRefusal, AsTheApplyWouldAndWithoutWriting) {
    const RefusalCase& row = GetParam();
    CtlRunner ctl;
    std::vector<std::string> args = {"--simulate=pauses=instant" + row.board};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back("--dry-run");
    EXPECT_EQ(ctl.run(args), row.status);
    const std::vector<std::string> lines = ctl.err_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), row.line), lines.end()) << ctl.console.err();
    EXPECT_EQ(ctl.console.out(), "");
    if (row.as_apply) {
        CtlRunner real;
        args.back() = "--no-verify";
        EXPECT_EQ(real.run(args), row.status);
        EXPECT_EQ(real.messages(), ctl.messages());
    }
    // At most the reads of the registers detection did not deliver, which leave enhanced mode.
    const std::vector<Write> writes = board_writes_after_detection(ctl);
    for (const Write& w : writes) {
        EXPECT_EQ(w.reg, REG10) << ctl.console.err();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, CtlDryRunRefusal, ::testing::Values(
    RefusalCase{"OutOfRange", "", {"set", "--cpu-ext", "260", "--step", "5"}, 2, "Error: Invalid Frequency"},
    RefusalCase{"NoChip", ",fault=device-error:block-read", {"set", "--cpu-ext", "140"}, 1, "Error: Cannot Find VXC812-07 Clock Generator!"},
    // Detection never reads REG17, so the dry run must, before it can work out the latch.
    RefusalCase{"UnreadRegister", ",fault=timeout:word-read:reg=17", {"set", "--cpu-ext", "140"}, 1, "vantrelctl: dry run: REG17 could not be read, so what the apply would write cannot be worked out (the word read of REG17 timed out and was killed (SMBus timeout))", false},
    RefusalCase{"NoSavedSet", "", {"load", "--settings", "/nonexistent-vantrel-settings.reg"}, 2, "Error: Settings Data Crushed!"}),
    test::ByLabel());
// clang-format on

TEST(CtlDryRunGuard, RefusedByAGuardLeftAndLeavesNoneOfItsOwn) {
    CtlRunner ctl;
    const std::vector<std::string> args = {"--simulate=pauses=instant",
                                           "load",
                                           "--at-boot",
                                           "--state-dir",
                                           ctl.state_dir(),
                                           "--dry-run"};
    ASSERT_EQ(ctl.run({"--simulate=pauses=instant", "save"}), 0) << ctl.console.err();
    ASSERT_EQ(ctl.run(args), 0) << ctl.console.err();
    EXPECT_TRUE(!std::filesystem::exists(ctl.state_dir()) ||
                std::filesystem::is_empty(ctl.state_dir()));

    // A boot-time load that failed leaves its guard; the dry run is refused by it and keeps it.
    ASSERT_EQ(ctl.run({"--simulate=pauses=instant,fault=device-error:word-write:reg=11", "load",
                       "--at-boot", "--state-dir", ctl.state_dir()}),
              1);
    std::vector<std::string> guarded;
    for (const auto& entry : std::filesystem::directory_iterator(ctl.state_dir())) {
        guarded.push_back(entry.path());
    }
    ASSERT_EQ(guarded.size(), 1u);
    EXPECT_EQ(ctl.run(args), 3);
    EXPECT_TRUE(std::filesystem::exists(guarded[0]));
}

struct MeaningCase {
    const char* label;
    HeldWrite write;
    const char* meaning;
};

class DryRunMeaning : public ::testing::TestWithParam<MeaningCase> {};

TEST_P(DryRunMeaning, SaysWhatTheBitsSet) {
    EXPECT_EQ(cli::write_meaning(GetParam().write), GetParam().meaning);
}

RegisterShadow with_n(std::uint8_t n) {
    RegisterShadow registers;
    registers.bytes[REG11] = n;
    return registers;
}

constexpr auto kWord = TransferFailure::Transfer::WordWrite;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Registers, DryRunMeaning, ::testing::Values(
    MeaningCase{"SpreadOn", {kWord, REG00, 1, 0x41, 0x43, {}}, "spread spectrum off -> on"},
    MeaningCase{"EntersEnhancedMode", {TransferFailure::Transfer::BlockWrite, REG10, 17, 0x09, 0x0B, {}}, "enters enhanced mode"},
    // Bit 0 alone is not enhanced mode.
    MeaningCase{"LeavesEnhancedMode", {kWord, REG10, 1, 0x0B, 0x09, {}}, "leaves enhanced mode"},
    MeaningCase{"DepthFromN", {kWord, REG12, 1, 0x84, 0x90, with_n(0x95)}, "N minus the spread depth: depth 5 with N 149"},
    MeaningCase{"KeptBitsAreNoDelay", {kWord, REG21, 1, 0xC0, 0xE4, {}}, "group delay CPU None -> 300ps, PCI None -> 150ps, SDRAM None"},
    MeaningCase{"ModelAndDelay3v66", {kWord, REG22, 1, 0x28, 0xEB, {}}, "group delay 3V66 None -> 450ps, spread model 0 -> 3"},
    MeaningCase{"LatchNotSet", {kWord, REG1F, 1, 0x98, 0x99, {}}, ""}),
    test::ByLabel());
// clang-format on

// The "before" column is the chip as detection found it, whatever the change.
struct BeforeCase {
    const char* label;
    std::string board;
    std::vector<std::string> set;
    std::vector<std::pair<std::string, std::string>> before;  // row name, its "before" value
};

class DryRunBefore : public ::testing::TestWithParam<BeforeCase> {};

TEST_P(DryRunBefore, IsTheChipAsFound) {
    const BeforeCase& row = GetParam();
    CtlRunner ctl;
    std::vector<std::string> args = {row.board, "set", "--dry-run"};
    args.insert(args.end(), row.set.begin(), row.set.end());
    ASSERT_EQ(ctl.run(args), 0) << ctl.console.err();
    const std::string& out = ctl.console.out();
    for (const auto& [name, value] : row.before) {
        // Each row is the name in 18 columns, the value before in 16, then the value after.
        char line[64];
        std::snprintf(line, sizeof line, "\n%-18s %-16s ", name.c_str(), value.c_str());
        EXPECT_NE(out.find(line), std::string::npos) << name << "\n" << out;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boards, DryRunBefore, ::testing::Values(
    BeforeCase{"Clock", "--simulate=pauses=instant,n=140", {"--cpu-ext", "150"},
               {{"CPU external", " 141.000 MHz"}, {"PLL N, M", "140, 31"}, {"Spread spectrum", "off"}}},
    BeforeCase{"DelaysAndSpread", "--simulate=pauses=instant,delay-cpu=300ps,spread=on,depth=2,model=5",
               {"--delay-cpu", "none", "--spread", "off", "--depth", "0", "--model", "1"},
               {{"CPU external", " 133.000 MHz"}, {"Group delay CPU", "300ps"}, {"Spread spectrum", "on"},
                {"Spread depth", "2"}, {"Spread model", "5"}}}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
