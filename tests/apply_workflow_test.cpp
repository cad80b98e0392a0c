// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "res/resource_ids.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"
#include "ui/apply_workflow.h"
#include "ui/frequency_fields.h"

namespace vantrel {
namespace {

using sim::TransferKind;
using test::DialogHarness;
using test::error_box;
using test::PrintTo;
using test::ShownMessage;
using Kind = FrequencyRequest::Kind;

// Enter (block read and block write), REG21 and REG22 read and write, the seven transfers of
// the commit, REG00, leave.
constexpr std::size_t kFullRunTransfers = 15;

struct RequestCase {
    const char* label;
    const char* text;
    Kind kind;
    int mhz;
};

class ReadRequest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(ReadRequest, AsTheFourCharacterBufferReadsIt) {
    const FrequencyRequest request = read_frequency_request(GetParam().text);
    EXPECT_EQ(request.kind, GetParam().kind);
    if (request.kind == Kind::Number) {
        EXPECT_EQ(request.mhz, GetParam().mhz);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadRequest,
    ::testing::Values(RequestCase{"Empty", "", Kind::Empty, 0},
                      RequestCase{"ThreeDigits", "133", Kind::Number, 133},
                      RequestCase{"SlidersOwnText", "133 ", Kind::Number, 133},
                      RequestCase{"LeadingBlank", " 99 ", Kind::Number, 99},
                      RequestCase{"TwoDigits", "75", Kind::Number, 75},
                      RequestCase{"FourDigitsNotCut", "1205", Kind::TooLong, 0},  // not 120
                      RequestCase{"FiveDigits", "99999", Kind::TooLong, 0},
                      RequestCase{"SignAndThreeDigits", "+991", Kind::TooLong, 0},
                      RequestCase{"EndsAtALetter", "12a4", Kind::Number, 12},
                      RequestCase{"EndsAtABlank", "1 23", Kind::Number, 1},
                      RequestCase{"NoDigits", "abc", Kind::Number, 0},
                      RequestCase{"BlanksOnly", "   ", Kind::Number, 0},
                      RequestCase{"Negative", "-50", Kind::Number, -50},
                      RequestCase{"PlusSign", "+80", Kind::Number, 80},
                      RequestCase{"Zero", "0", Kind::Number, 0}),
    test::ByLabel());

// A dialog on a chip with divider 3 running 133 MHz, ready for a run.
class RunSettings : public ::testing::Test {
  protected:
    void SetUp() override { h.init(); }

    std::vector<ShownMessage> messages(std::initializer_list<const char*> texts) {
        std::vector<ShownMessage> boxes;
        for (const char* text : texts) {
            boxes.push_back(error_box(text));
        }
        return boxes;
    }

    DialogHarness h;
};

TEST_F(RunSettings, EmptyBoxRecommitsTheSamePllWithTheNewDepth) {
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    h.controls.select(IDC_SPREAD_DEPTH, 6);

    h.dialog.run_settings();

    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.new_transfers().size(), kFullRunTransfers);
    EXPECT_EQ(h.board.chip().reg(REG11), 132);
    EXPECT_EQ(h.board.chip().reg(REG12), 126);
    EXPECT_EQ(h.board.chip().reg(REG13), 31);
    EXPECT_EQ(h.board.chip().latch_count(), 1u);
    EXPECT_FALSE(h.board.chip().enhanced_mode());
    EXPECT_FLOAT_EQ(h.clock.cpu_ext_mhz, 133.0f);
    EXPECT_EQ(h.clock.spread_depth, 6);
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), " 800.0");  // measured again
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 133);
    EXPECT_TRUE(h.board.log().violations().empty());
}

struct RequestRun {
    const char* label;
    unsigned cpu_divider;
    const char* text;
    std::uint8_t n;
    const char* cpu_ext_field;
    int slider;
};

class RunWithRequest : public ::testing::TestWithParam<RequestRun> {};

TEST_P(RunWithRequest, SolvesCommitsAndShowsTheNewClock) {
    const auto& c = GetParam();
    DialogHarness h;
    h.board.chip().set_straps(c.cpu_divider, 3);
    h.board.chip().power_up_pll(99, 31, 0);
    h.init();
    h.controls.type(IDC_FREQ_EDIT, c.text);

    h.dialog.run_settings();

    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.board.chip().running_n(), c.n);
    EXPECT_EQ(h.board.chip().running_m(), 31);
    EXPECT_EQ(h.clock.pll_n, c.n);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), c.cpu_ext_field);
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), c.slider);
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), c.text);  // moving the slider does not rewrite it
    EXPECT_TRUE(h.board.log().violations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RunWithRequest,
    ::testing::Values(RequestRun{"Divider3Mhz150", 3, "150", 149, " 150.0", 150},
                      RequestRun{"Divider3Minimum", 3, "100", 99, " 100.0", 100},
                      RequestRun{"Divider3Maximum", 3, "250 ", 249, " 250.0", 250},
                      RequestRun{"Divider4Minimum", 4, "75", 99, "  75.0", 75},
                      RequestRun{"Divider4Maximum", 4, "180", 239, " 180.0", 180},
                      // 132.75 leaves the slider at 132.
                      RequestRun{"Divider4Mhz133", 4, "133", 176, " 132.8", 132},
                      RequestRun{"Divider4SlidersText", 4, " 99 ", 131, "  99.0", 99},
                      RequestRun{"Divider4Mhz101", 4, "101", 134, " 101.3", 101},
                      RequestRun{"Divider6Minimum", 6, "50", 99, "  50.0", 50},
                      RequestRun{"Divider6Maximum", 6, "120", 239, " 120.0", 120}),
    test::ByLabel());

struct RejectCase {
    const char* label;
    unsigned cpu_divider;
    const char* text;
};

class RejectedRequest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(RejectedRequest, InvalidFrequencyEmptiesTheBoxAndTouchesNothing) {
    DialogHarness h;
    h.board.chip().set_straps(GetParam().cpu_divider, 3);
    h.init();
    const ClockState before = h.clock;
    h.controls.type(IDC_FREQ_EDIT, GetParam().text);

    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown(), std::vector<ShownMessage>{error_box("Invalid Frequency")});
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "");
    EXPECT_TRUE(h.new_transfers().empty());
    EXPECT_EQ(h.clock.pll_n, before.pll_n);
    EXPECT_EQ(h.clock.cpu_ext_mhz, before.cpu_ext_mhz);
    EXPECT_EQ(h.cpu.calls(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RejectedRequest,
    ::testing::Values(
        RejectCase{"Zero", 3, "0"}, RejectCase{"NoDigits", 3, "abc"},
        RejectCase{"BlanksOnly", 3, "   "}, RejectCase{"Divider3BelowMinimum", 3, "99"},
        RejectCase{"Divider3AboveMaximum", 3, "251"}, RejectCase{"FourDigits", 3, "1205"},
        RejectCase{"Divider4BelowMinimum", 4, "74"}, RejectCase{"Divider4AboveMaximum", 4, "181"},
        RejectCase{"Divider6BelowMinimum", 6, "49"}, RejectCase{"Divider6AboveMaximum", 6, "121"},
        RejectCase{"Negative", 6, "-60"}, RejectCase{"FourDigitsAboveMaximum", 6, "1000"}),
    test::ByLabel());

TEST_F(RunSettings, UncheckedSpreadClearsItsBitButDepthAndModelAreStillWritten) {
    h.board.chip().set_reg(REG00, 0x03);
    h.board.chip().set_reg(REG22, 0x38);  // bits 3-5 are kept as they are
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
    h.controls.select(IDC_SPREAD_DEPTH, 5);
    h.controls.select(IDC_SPREAD_MODEL, 6);
    h.controls.select(IDC_DELAY_3V66, 2);

    h.dialog.run_settings();

    EXPECT_EQ(h.board.chip().reg(REG00), 0x01);
    EXPECT_EQ(h.board.chip().reg(REG12), 132 - 5);
    EXPECT_EQ(h.board.chip().reg(REG22), 0x38 | 0x80 | 6);
}

TEST_F(RunSettings, CheckedSpreadSetsItsBitOverTheChipsOtherBits) {
    h.board.chip().set_reg(REG00, 0x81);
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    h.dialog.run_settings();
    EXPECT_EQ(h.board.chip().reg(REG00), 0x83);
}

TEST_F(RunSettings, IndeterminateSpreadWritesNoReg00) {
    h.board.chip().set_reg(REG00, 0x02);
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstIndeterminate);

    h.dialog.run_settings();

    EXPECT_EQ(h.new_transfers().size(), kFullRunTransfers - 1);
    for (const auto& t : h.new_transfers()) {
        EXPECT_FALSE(t.kind == TransferKind::WordWrite && t.reg == REG00);
    }
    EXPECT_EQ(h.board.chip().reg(REG00), 0x02);
}

TEST_F(RunSettings, GroupDelaysArePackedIntoReg21KeepingItsTopBits) {
    h.board.chip().set_reg(REG21, 0xC0);
    h.controls.select(IDC_DELAY_CPU, 2);
    h.controls.select(IDC_DELAY_PCI, 1);
    h.controls.select(IDC_DELAY_SDRAM, 3);
    h.dialog.run_settings();
    EXPECT_EQ(h.board.chip().reg(REG21), 0xC0 | 0x20 | 0x04 | 0x03);
}

TEST_F(RunSettings, AListWithoutSelectionKeepsItsField) {
    h.board.chip().set_reg(REG22, 0x05);  // model 5 on the chip
    h.clock.spread_model = 5;
    h.controls.select(IDC_SPREAD_MODEL, 99);  // past the last item: no selection
    h.controls.select(IDC_SPREAD_DEPTH, 2);

    h.dialog.run_settings();

    EXPECT_EQ(h.clock.spread_model, 5);
    EXPECT_EQ(h.board.chip().reg(REG22) & 0x07, 5);
    EXPECT_EQ(h.board.chip().reg(REG12), 130);
}

TEST(RunSettingsDepth, StartUpDepthBeyondTenIsCommittedUnchanged) {
    // The chip reported depth 11, which no list item shows; the run keeps it.
    DialogHarness h;
    h.board.chip().power_up_pll(132, 31, 11);
    h.init();
    h.dialog.run_settings();
    EXPECT_EQ(h.clock.spread_depth, 11);
    EXPECT_EQ(h.board.chip().reg(REG12), 121);
}

TEST_F(RunSettings, EnhancedModeRefusedStopsWithNothingRefreshed) {
    h.fail_next(TransferKind::BlockWrite, 0x00);
    const ClockState before = h.clock;
    const std::string speed = h.controls.text(IDC_CPU_SPEED);
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.controls.select(IDC_DELAY_CPU, 3);

    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown(), messages({"Enable Enhanced-Mode Failed!"}));
    EXPECT_EQ(h.cpu.calls(), 1u);
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), speed);
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 133);
    EXPECT_EQ(h.clock.delay_cpu, before.delay_cpu);
    EXPECT_EQ(h.clock.pll_n, before.pll_n);
    for (const auto& t : h.new_transfers()) {
        EXPECT_NE(t.kind, TransferKind::WordWrite);  // enhanced mode is not left
        EXPECT_NE(t.kind, TransferKind::WordRead);
    }
}

// The failure table. The chip starts with delays 1/1/1/1, depth 2, model 1 and 133 MHz; the
// user asks for delays 3/2/0/2, depth 4, model 5 and 150 MHz.
struct FailureRow {
    const char* label;
    TransferKind kind;
    std::uint8_t reg;
    unsigned nth;  // of that kind and register within the run
    const char* message;
    bool reg21_new;  // CPU, PCI and SDRAM delays keep the new values
    bool reg22_new;  // 3V66 delay and model keep the new values
    std::uint8_t chip_reg21;
    std::uint8_t chip_reg22;
    std::uint8_t chip_reg11;
};

constexpr std::uint8_t kOldReg21 = 0xD5;  // bits 6-7 set, delays 1/1/1
constexpr std::uint8_t kOldReg22 = 0x79;  // 3V66 1, bits 3-5 set, model 1
constexpr std::uint8_t kNewReg21 = 0xF8;
constexpr std::uint8_t kNewReg22 = 0xBD;

class FailureTable : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FailureTable, RestoresWhatWasNotWritten) {
    const auto& row = GetParam();
    DialogHarness h;
    h.board.chip().power_up_pll(132, 31, 2);
    h.board.chip().set_reg(REG21, kOldReg21);
    h.board.chip().set_reg(REG22, kOldReg22);
    h.board.chip().set_reg(REG00, 0x02);
    h.init();
    h.controls.type(IDC_FREQ_EDIT, "150");
    h.controls.select(IDC_DELAY_CPU, 3);
    h.controls.select(IDC_DELAY_PCI, 2);
    h.controls.select(IDC_DELAY_SDRAM, 0);
    h.controls.select(IDC_DELAY_3V66, 2);
    h.controls.select(IDC_SPREAD_DEPTH, 4);
    h.controls.select(IDC_SPREAD_MODEL, 5);
    h.fail_next(row.kind, row.reg, row.nth);

    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown(), std::vector<ShownMessage>{error_box(row.message)});
    // ClockState: new where the register was written, the snapshot elsewhere.
    EXPECT_EQ(h.clock.delay_cpu, row.reg21_new ? 3 : 1);
    EXPECT_EQ(h.clock.delay_pci, row.reg21_new ? 2 : 1);
    EXPECT_EQ(h.clock.delay_sdram, row.reg21_new ? 0 : 1);
    EXPECT_EQ(h.clock.delay_3v66, row.reg22_new ? 2 : 1);
    EXPECT_EQ(h.clock.spread_model, row.reg22_new ? 5 : 1);
    EXPECT_EQ(h.clock.spread_depth, 2);
    EXPECT_FLOAT_EQ(h.clock.cpu_ext_mhz, 133.0f);
    EXPECT_FLOAT_EQ(h.clock.pci_mhz, 33.25f);
    EXPECT_FLOAT_EQ(h.clock.vco_mhz, 399.0f);
    EXPECT_EQ(h.clock.pll_n, 132);  // the PLL values go back with the frequencies
    EXPECT_EQ(h.clock.pll_m, 31);
    // The chip: what was written stays, nothing was latched, REG00 was not written.
    EXPECT_EQ(h.board.chip().reg(REG21), row.chip_reg21);
    EXPECT_EQ(h.board.chip().reg(REG22), row.chip_reg22);
    EXPECT_EQ(h.board.chip().reg(REG11), row.chip_reg11);
    EXPECT_EQ(h.board.chip().running_n(), 132);
    EXPECT_EQ(h.board.chip().latch_count(), 0u);
    EXPECT_FALSE(h.board.chip().enhanced_mode());  // left all the same
    for (const auto& t : h.new_transfers()) {
        EXPECT_FALSE(t.kind == TransferKind::WordWrite && t.reg == REG00);
    }
    // The display shows the restored clock; the controls keep the user's choice.
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 133.0");
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 133);
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), " 800.0");
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "150");
    EXPECT_EQ(h.controls.selection(IDC_DELAY_CPU), 3);
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FailureTable,
    ::testing::Values(
        FailureRow{"ReadReg21", TransferKind::WordRead, REG21, 1, "Cannot Change Clock Settings!",
                   false, false, kOldReg21, kOldReg22, 132},
        FailureRow{"WriteReg21", TransferKind::WordWrite, REG21, 1, "Cannot Change Clock Settings!",
                   false, false, kOldReg21, kOldReg22, 132},
        FailureRow{"ReadReg22", TransferKind::WordRead, REG22, 1,
                   "Cannot Change Some Clock Settings!", true, false, kNewReg21, kOldReg22, 132},
        FailureRow{"WriteReg22", TransferKind::WordWrite, REG22, 1,
                   "Cannot Change Some Clock Settings!", true, false, kNewReg21, kOldReg22, 132},
        FailureRow{"CommitReg11", TransferKind::WordWrite, REG11, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 132},
        FailureRow{"CommitReg12", TransferKind::WordWrite, REG12, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149},
        FailureRow{"CommitReg13", TransferKind::WordWrite, REG13, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149},
        FailureRow{"CommitReadReg17", TransferKind::WordRead, REG17, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149},
        FailureRow{"CommitWriteReg17", TransferKind::WordWrite, REG17, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149},
        FailureRow{"CommitReadReg1F", TransferKind::WordRead, REG1F, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149},
        FailureRow{"CommitWriteReg1F", TransferKind::WordWrite, REG1F, 1,
                   "Cannot Change Some Clock Settings!", true, true, kNewReg21, kNewReg22, 149}),
    test::ByLabel());

TEST_F(RunSettings, ARolledBackRunLeavesNoPllForTheNextEmptyRun) {
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.fail_next(TransferKind::WordWrite, REG11);
    h.dialog.run_settings();
    ASSERT_EQ(h.messages.shown().size(), 1u);

    h.controls.type(IDC_FREQ_EDIT, "");
    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown().size(), 1u);
    EXPECT_EQ(h.board.chip().running_n(), 132);  // still the 133 MHz the dialog shows
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 133.0");
}

TEST_F(RunSettings, FailingLeaveAfterACommitShowsOnlyItsMessageAndTheNewClock) {
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.fail_next(TransferKind::WordWrite, REG10);

    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown(), messages({"Disable Enhanced Mode Failed!"}));
    EXPECT_EQ(h.board.chip().running_n(), 199);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 200.0");
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 200);
    EXPECT_EQ(h.cpu.calls(), 2u);
}

TEST_F(RunSettings, TwoMessagesInOneRun) {
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.fail_next(TransferKind::WordRead, REG21);
    h.fail_next(TransferKind::WordWrite, REG10);

    h.dialog.run_settings();

    EXPECT_EQ(h.messages.shown(),
              messages({"Cannot Change Clock Settings!", "Disable Enhanced Mode Failed!"}));
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 133.0");
    EXPECT_EQ(h.cpu.calls(), 2u);
}

// The run measures the processor again after leaving enhanced mode: the simulated core clock
// follows the host clock the chip is running.
struct MeasuredRun {
    const char* label;
    const char* text;
    bool commit_fails;
    double host_mhz_after;
};

class RunOnSimulatedCpu : public ::testing::TestWithParam<MeasuredRun> {};

TEST_P(RunOnSimulatedCpu, ShowsTheCoreClockOfTheRunningHostClock) {
    const auto& c = GetParam();
    DialogHarness h(test::CpuSource::SimulatedCpu);
    h.board.cpu().set_multiplier(7.5);
    h.init();
    h.controls.type(IDC_FREQ_EDIT, c.text);
    if (c.commit_fails) {
        h.fail_next(TransferKind::WordWrite, REG1F);
    }

    h.dialog.run_settings();

    EXPECT_DOUBLE_EQ(h.board.chip().running_cpu_ext_mhz(), c.host_mhz_after);
    EXPECT_NEAR(h.clock.cpu_speed_mhz, 7.5 * c.host_mhz_after, 2.0);
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), format_mhz_field(h.clock.cpu_speed_mhz));
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), static_cast<int>(c.host_mhz_after));
}

INSTANTIATE_TEST_SUITE_P(Runs, RunOnSimulatedCpu,
                         ::testing::Values(MeasuredRun{"Unchanged", "", false, 133.0},
                                           MeasuredRun{"Faster", "150", false, 150.0},
                                           MeasuredRun{"Slower", "100", false, 100.0},
                                           MeasuredRun{"LatchRefused", "200", true, 133.0}),
                         test::ByLabel());

// A refused REG00 write comes after the new clock is latched: the clock stays and is shown,
// the user is told that not every setting changed, and enhanced mode is left as usual.
struct SpreadSwitchRow {
    const char* label;
    int check;
    std::uint8_t chip_reg00;
    bool leave_fails;
    std::vector<const char*> messages;
};

class SpreadSwitchRefused : public ::testing::TestWithParam<SpreadSwitchRow> {};

TEST_P(SpreadSwitchRefused, IsReportedAndTheNewClockKept) {
    const auto& row = GetParam();
    DialogHarness h;
    h.board.chip().set_reg(REG00, row.chip_reg00);
    h.init();
    h.controls.type(IDC_FREQ_EDIT, "150");
    h.controls.set_check_state(IDC_SPREAD_ENABLE, row.check);
    h.fail_next(TransferKind::WordWrite, REG00);
    if (row.leave_fails) {
        h.fail_next(TransferKind::WordWrite, REG10);
    }

    h.dialog.run_settings();

    std::vector<ShownMessage> expected;
    for (const char* text : row.messages) {
        expected.push_back(error_box(text));
    }
    EXPECT_EQ(h.messages.shown(), expected);
    EXPECT_EQ(h.board.chip().reg(REG00), row.chip_reg00);
    EXPECT_EQ(h.controls.check_state(IDC_SPREAD_ENABLE), row.check);
    EXPECT_EQ(h.board.chip().running_n(), 149);
    EXPECT_FLOAT_EQ(h.clock.cpu_ext_mhz, 150.0f);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 150.0");
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 150);
    EXPECT_EQ(h.cpu.calls(), 2u);
    const auto transfers = h.new_transfers();
    ASSERT_FALSE(transfers.empty());
    EXPECT_EQ(transfers.back().kind, TransferKind::WordWrite);  // leaving was tried
    EXPECT_EQ(transfers.back().reg, REG10);
    EXPECT_EQ(h.board.chip().enhanced_mode(), row.leave_fails);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SpreadSwitchRefused,
    ::testing::Values(
        SpreadSwitchRow{
            "SwitchingOn", kBstChecked, 0x41, false, {"Cannot Change Some Clock Settings!"}},
        SpreadSwitchRow{
            "SwitchingOff", kBstUnchecked, 0x43, false, {"Cannot Change Some Clock Settings!"}},
        SpreadSwitchRow{"ThenLeavingFails",
                        kBstChecked,
                        0x41,
                        true,
                        {"Cannot Change Some Clock Settings!", "Disable Enhanced Mode Failed!"}}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
