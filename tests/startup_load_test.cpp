// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/core/startup_load.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "res/dialog_templates.h"
#include "sim/sim_pci.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"
#include "ui/hidden_dialog_window.h"
#include "ui/main_dialog.h"
#include "win32/startup_messages.h"

namespace vantrel {
namespace {

using win32::kAppliedGuardStaysText;
using win32::kApplyFailedText;
using win32::kGuardClearedText;
using win32::kGuardNotClearedText;
using win32::kGuardNotSetText;
using win32::kGuardPresentText;

using test::DialogHarness;
using test::error_box;
using test::ShownMessage;

// The guard as a flag and a recorded cause, remembering how many bus transfers had been made
// when it was set.
class FakeBootGuard : public BootGuard {
  public:
    explicit FakeBootGuard(sim::SimBoard& board) : board_(board) {}

    bool present(std::string& failure) override {
        if (present_) {
            failure = failure_;
        }
        return present_;
    }
    bool present() {
        std::string ignored;
        return present(ignored);
    }
    bool set() override {
        if (!can_set) {
            return false;
        }
        present_ = true;
        failure_.clear();
        transfers_when_set = board_.smbus().transfers().size();
        return true;
    }
    bool record_failure(std::string_view cause) override {
        failure_ = cause;
        return present_;
    }
    bool clear() override {
        if (!can_clear) {
            return false;
        }
        present_ = false;
        return true;
    }

    void leave_from_earlier_run(std::string failure = {}) {
        present_ = true;
        failure_ = std::move(failure);
    }
    const std::string& failure() const { return failure_; }

    bool can_set = true;
    bool can_clear = true;
    std::size_t transfers_when_set = 0;

  private:
    sim::SimBoard& board_;
    bool present_ = false;
    std::string failure_;
};

// A program start with /load: the dialog's logic over in-memory controls on the simulated
// board, its messages counted by the start-up load.
struct StartupRig {
    DialogHarness h;
    FakeBootGuard guard{h.board};
    StartupLoad load{h.messages, guard};
    HiddenDialogWindow hidden;
    MainDialog dialog{MainDialogEnvironment{h.controls, hidden, load.messages(), h.cpu, *h.backend,
                                            h.controller, h.clock, h.settings_key}};

    // The settings that "Save Settings" keeps for the board as it starts.
    void save_board_settings() {
        h.open_key();
        test::FakeRegistryKey& key = h.registry.key();
        key.put_dword("REG00", 0x02);
        key.put_dword("REG11", 150);
        key.put_dword("REG12", 148);
        key.put_dword("REG13", 31);
        key.put_dword("REG1F", h.board.chip().reg(REG1F));
        key.put_dword("REG21", 0x1B);
        key.put_dword("REG22", 0x45);
    }
};

struct OutcomeRow {
    const char* label;
    std::function<void(StartupRig&)> arrange;
    StartupLoadOutcome outcome;
    std::string cause;
    // What the dialog shows, then what the Windows program says of the outcome.
    std::vector<ShownMessage> messages;
    bool guard_after;
    std::string recorded;  // the cause the guard keeps afterwards
    bool chip_touched;
};

const OutcomeRow kOutcomes[] = {
    {"saved_set_is_applied",
     [](StartupRig& r) { r.save_board_settings(); },
     StartupLoadOutcome::Applied,
     "",
     {},
     false,
     "",
     true},
    {"no_key_stops_before_the_bus",
     [](StartupRig&) {},
     StartupLoadOutcome::NoSettingsKey,
     "",
     {error_box("Cannot Load Settings!")},
     false,
     "",
     false},
    {"guard_from_an_unfinished_run_stops_before_the_bus",
     [](StartupRig& r) {
         r.save_board_settings();
         r.guard.leave_from_earlier_run();
     },
     StartupLoadOutcome::GuardPresent,
     "",
     {error_box(std::string(kGuardPresentText))},
     true,
     "",
     false},
    {"guard_from_a_failed_run_gives_its_cause",
     [](StartupRig& r) {
         r.save_board_settings();
         r.guard.leave_from_earlier_run("Settings Data Crushed!");
     },
     StartupLoadOutcome::GuardPresent,
     "Settings Data Crushed!",
     {error_box(std::string(kGuardPresentText))},
     true,
     "Settings Data Crushed!",
     false},
    {"guard_that_cannot_be_written_stops_before_the_bus",
     [](StartupRig& r) {
         r.save_board_settings();
         r.guard.can_set = false;
     },
     StartupLoadOutcome::GuardNotSet,
     "",
     {error_box(std::string(kGuardNotSetText))},
     false,
     "",
     false},
    {"no_controller_keeps_the_guard",
     [](StartupRig& r) {
         r.save_board_settings();
         r.h.board.pci().set_hub_id(sim::kNoDevice);
     },
     StartupLoadOutcome::Failed,
     "Cannot Get SM Base Address!",
     {error_box("Cannot Get SM Base Address!", MessageIcon::Stop),
      error_box(std::string(kApplyFailedText))},
     true,
     "Cannot Get SM Base Address!",
     false},
    {"missing_value_keeps_the_guard",
     [](StartupRig& r) {
         r.save_board_settings();
         r.h.registry.key().erase("REG13");
     },
     StartupLoadOutcome::Failed,
     "Settings Data Crushed!",
     {error_box("Settings Data Crushed!"), error_box(std::string(kApplyFailedText))},
     true,
     "Settings Data Crushed!",
     true},
    {"failing_apply_keeps_the_guard",
     [](StartupRig& r) {
         r.save_board_settings();
         // The first read of REG21 is detection's; the second is the apply's.
         r.h.fail_next(sim::TransferKind::WordRead, REG21, 2);
     },
     StartupLoadOutcome::Failed,
     "Cannot Change Clock Settings!",
     {error_box("Cannot Change Clock Settings!"), error_box(std::string(kApplyFailedText))},
     true,
     "Cannot Change Clock Settings!",
     true},
    {"guard_that_cannot_be_removed_is_reported",
     [](StartupRig& r) {
         r.save_board_settings();
         r.guard.can_clear = false;
     },
     StartupLoadOutcome::GuardNotCleared,
     "",
     {error_box(std::string(kAppliedGuardStaysText))},
     true,
     "",
     true},
};

class StartupLoadOutcomes : public ::testing::TestWithParam<OutcomeRow> {};

TEST_P(StartupLoadOutcomes, GuardMessagesAndBus) {
    const OutcomeRow& row = GetParam();
    StartupRig rig;
    row.arrange(rig);

    const StartupLoadResult result = rig.load.run(rig.dialog, rig.h.settings_key);
    win32::tell_startup_load(result, rig.h.messages);
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(result.cause, row.cause);
    EXPECT_EQ(rig.h.messages.shown(), row.messages);
    EXPECT_EQ(rig.guard.present(), row.guard_after);
    EXPECT_EQ(rig.guard.failure(), row.recorded);
    const auto& transfers = rig.h.board.smbus().transfers();
    EXPECT_EQ(!transfers.empty(), row.chip_touched);
    if (row.chip_touched) {
        EXPECT_EQ(rig.guard.transfers_when_set, 0u) << "the guard must be set before the bus";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, StartupLoadOutcomes, ::testing::ValuesIn(kOutcomes),
                         test::ByLabel{});

// What an applied start leaves on the chip is what "Load Settings" in the dialog would have
// left: the stored PLL solved afresh, the delays and spread of the stored registers.
TEST(StartupLoadApplies, TheStoredSettingsReachTheChip) {
    StartupRig rig;
    rig.save_board_settings();
    ASSERT_EQ(rig.load.run(rig.dialog, rig.h.settings_key).outcome, StartupLoadOutcome::Applied);

    const sim::SimClockChip& chip = rig.h.board.chip();
    EXPECT_EQ(chip.running_n(), 150);
    EXPECT_EQ(chip.running_m(), 31);
    EXPECT_EQ(chip.reg(REG12), 148);
    EXPECT_EQ(chip.reg(REG21) & 0x3F, 0x1B);
    // The stored fields; the reserved bits between them stay as the chip had them.
    EXPECT_EQ(chip.reg(REG22) & 0xC7, 0x45);
    EXPECT_EQ(chip.reg(REG00) & kReg00SpreadEnable, kReg00SpreadEnable);
    EXPECT_FALSE(chip.enhanced_mode());
    EXPECT_TRUE(rig.h.board.log().violations().empty());
}

struct ClearRow {
    const char* label;
    bool can_clear;
    bool result;
    ShownMessage message;
};

const ClearRow kClears[] = {
    {"cleared_guard_is_confirmed",
     true,
     true,
     {std::string(kGuardClearedText), std::string(res::kMainDialogTitle), MessageButtons::Ok,
      MessageIcon::None}},
    {"guard_that_stays_is_an_error", false, false, error_box(std::string(kGuardNotClearedText))},
};

class ClearBootGuard : public ::testing::TestWithParam<ClearRow> {};

TEST_P(ClearBootGuard, SaysWhatHappened) {
    const ClearRow& row = GetParam();
    sim::SimBoard board;
    FakeBootGuard guard(board);
    guard.leave_from_earlier_run();
    guard.can_clear = row.can_clear;
    test::FakeMessageBoxes messages;

    EXPECT_EQ(win32::clear_boot_guard(guard, messages), row.result);
    EXPECT_EQ(messages.shown(), std::vector<ShownMessage>{row.message});
    EXPECT_EQ(guard.present(), !row.result);
}

INSTANTIATE_TEST_SUITE_P(Rows, ClearBootGuard, ::testing::ValuesIn(kClears), test::ByLabel{});

}  // namespace
}  // namespace vantrel
