// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "res/resource_ids.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"
#include "ui/settings_store.h"

namespace vantrel {
namespace {

using test::DialogHarness;
using test::error_box;
using test::PrintTo;
using test::RegType;
using test::ShownMessage;

const std::vector<std::string> kValueNames = {"REG00", "REG11", "REG12", "REG13",
                                              "REG1F", "REG21", "REG22"};

struct TargetCase {
    const char* label;
    std::uint32_t reg11;
    std::uint32_t reg13;
    std::uint8_t cpu_divider;
    int mhz;
};

class Target : public ::testing::TestWithParam<TargetCase> {};

TEST_P(Target, RoundsToNearestWithHalfDown) {
    const auto& c = GetParam();
    const TargetFrequency t = target_frequency(c.reg11, c.reg13, c.cpu_divider);
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.mhz, c.mhz);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Target,
    ::testing::Values(TargetCase{"Exact133", 132, 31, 3, 133},        // q = 133.0
                      TargetCase{"ThreeQuartersUp", 100, 31, 4, 76},  // q = 75.75
                      TargetCase{"ExactHalfDown", 100, 31, 6, 50},    // q = 50.5 goes down
                      TargetCase{"Exact51", 101, 31, 6, 51},          // q = 51.0
                      TargetCase{"QuarterDown", 102, 31, 4, 77},      // q = 77.25
                      TargetCase{"OtherM", 99, 13, 6, 114},           // q = 114.2857
                      // N + 1 and M + 1 do not wrap to 0 / 0
                      TargetCase{"LargestValues", 0xFFFFFFFF, 0xFFFFFFFF, 3, 32}),
    test::ByLabel());

TEST(TargetLimit, TooLargeForASliderIsNotValid) {
    EXPECT_FALSE(target_frequency(0xFFFFFFFF, 0, 3).valid);
}

// A dialog on the simulated board whose key holds the settings of the running chip, ready to
// be changed one value at a time.
class LoadSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        h.board.chip().power_up_pll(132, 31, 2);
        h.board.chip().set_reg(REG00, 0x02);
        h.board.chip().set_reg(REG21, 0x24);  // CPU 2, PCI 1, SDRAM 0
        h.board.chip().set_reg(REG22, 0x45);  // 3V66 1, model 5
        h.init();
        h.open_key();
        h.dialog.save_settings();
        ASSERT_TRUE(h.messages.shown().empty());
    }

    void store(const std::string& name, std::uint32_t value) {
        h.registry.key().put_dword(name, value);
    }

    void expect_refused(const char* message) {
        EXPECT_EQ(h.messages.shown(), std::vector<ShownMessage>{error_box(message)});
        EXPECT_TRUE(h.new_transfers().empty());
        EXPECT_TRUE(h.controls.log().empty());
    }

    DialogHarness h;
};

TEST_F(LoadSettings, SaveStoresSevenDwordsFromTheShadowInOrder) {
    EXPECT_EQ(h.registry.key().sets(), kValueNames);
    EXPECT_EQ(h.registry.key().dword("REG00"), 0x02u);
    EXPECT_EQ(h.registry.key().dword("REG11"), 132u);
    EXPECT_EQ(h.registry.key().dword("REG12"), 130u);
    EXPECT_EQ(h.registry.key().dword("REG13"), 31u);
    EXPECT_EQ(h.registry.key().dword("REG1F"), h.shadow[REG1F]);
    EXPECT_EQ(h.registry.key().dword("REG21"), 0x24u);
    EXPECT_EQ(h.registry.key().dword("REG22"), 0x45u);
}

TEST_F(LoadSettings, RoundTripBringsTheSavedClockBack) {
    // Apply something else, then load what was saved.
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.controls.select(IDC_DELAY_CPU, 0);
    h.controls.select(IDC_DELAY_3V66, 3);
    h.controls.select(IDC_SPREAD_MODEL, 0);
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
    h.dialog.run_settings();
    ASSERT_EQ(h.board.chip().running_n(), 199);

    h.dialog.load_settings();

    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "133 ");
    EXPECT_EQ(h.board.chip().running_n(), 132);
    EXPECT_EQ(h.board.chip().reg(REG12), 130);
    EXPECT_EQ(h.board.chip().reg(REG21), 0x24);
    EXPECT_EQ(h.board.chip().reg(REG22), 0x45);
    EXPECT_EQ(h.board.chip().reg(REG00) & kReg00SpreadEnable, kReg00SpreadEnable);
    EXPECT_EQ(h.controls.check_state(IDC_SPREAD_ENABLE), kBstChecked);
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), 2);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 133.0");
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 133);
    EXPECT_TRUE(h.board.log().violations().empty());
}

TEST_F(LoadSettings, SetsTheControlsInOrderThenRuns) {
    store("REG00", 0);
    store("REG21", 0x1B);  // CPU 1, PCI 2, SDRAM 3
    store("REG22", 0xC2);  // 3V66 3, model 2

    h.dialog.load_settings();

    const std::vector<std::string> expected = {
        "check 1021 0",  "enable 1025 0", "enable 1026 0", "select 1015 1", "select 1022 2",
        "select 1023 3", "select 1024 3", "select 1025 2", "select 1026 2", "text 1012 133 ",
    };
    const auto& log = h.controls.log();
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 10), expected);
    EXPECT_EQ(h.new_transfers().size(), 15u);
    EXPECT_EQ(h.board.chip().reg(REG00) & kReg00SpreadEnable, 0);
}

struct TargetLoad {
    const char* label;
    unsigned cpu_divider;
    std::uint32_t reg11;
    const char* edit;
    const char* cpu_ext_field;
    int mhz;
};

class LoadTarget : public ::testing::TestWithParam<TargetLoad> {};

TEST_P(LoadTarget, PutsTheTargetIntoTheEditBox) {
    const auto& c = GetParam();
    DialogHarness h;
    h.board.chip().set_straps(c.cpu_divider, 3);
    h.init();
    h.open_key();
    h.dialog.save_settings();
    h.registry.key().put_dword("REG11", c.reg11);
    h.registry.key().put_dword("REG12", c.reg11);
    h.registry.key().put_dword("REG13", 31);
    // The query answers what the load then asks for, touching neither the controls nor the bus.
    EXPECT_EQ(h.dialog.settings_store().load_target(), c.mhz);
    EXPECT_TRUE(h.controls.log().empty());
    EXPECT_TRUE(h.new_transfers().empty());

    h.dialog.load_settings();

    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), c.edit);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), c.cpu_ext_field);
}

INSTANTIATE_TEST_SUITE_P(Examples, LoadTarget,
                         ::testing::Values(TargetLoad{"Divider3", 3, 132, "133 ", " 133.0", 133},
                                           TargetLoad{"Divider4", 4, 100, " 76 ", "  75.8", 76},
                                           TargetLoad{"Divider6", 6, 100, " 50 ", "  50.0", 50}),
                         test::ByLabel());

struct Tamper {
    const char* label;
    std::uint32_t reg11;
    std::uint32_t reg12;
    std::uint32_t reg13;
    std::uint8_t reg1f_flip;  // bits flipped against the live REG1F
    bool accepted;
};

class Validation : public ::testing::TestWithParam<Tamper> {};

TEST_P(Validation, OnItsBoundary) {
    const auto& c = GetParam();
    DialogHarness h;  // divider 3: the slider runs from 100 to 250
    h.init();
    h.open_key();
    h.dialog.save_settings();
    auto& key = h.registry.key();
    key.put_dword("REG11", c.reg11);
    key.put_dword("REG12", c.reg12);
    key.put_dword("REG13", c.reg13);
    key.put_dword("REG1F", static_cast<std::uint32_t>(h.shadow[REG1F] ^ c.reg1f_flip));
    EXPECT_EQ(h.dialog.settings_store().load_target().has_value(), c.accepted);
    EXPECT_TRUE(h.messages.shown().empty());

    h.dialog.load_settings();

    if (c.accepted) {
        EXPECT_TRUE(h.messages.shown().empty());
        EXPECT_EQ(h.new_transfers().size(), 15u);
    } else {
        EXPECT_EQ(h.messages.shown(),
                  std::vector<ShownMessage>{error_box("Cannot Apply These Settings!")});
        EXPECT_TRUE(h.new_transfers().empty());
        EXPECT_TRUE(h.controls.log().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Validation,
    ::testing::Values(
        Tamper{"DepthTen", 140, 130, 31, 0, true}, Tamper{"DepthEleven", 141, 130, 31, 0, false},
        Tamper{"NBelowReg12", 131, 132, 31, 0, false},
        Tamper{"Reg13Zero", 5, 5, 0, 0, false},   // q = 192 would be in range
        Tamper{"Reg12Zero", 10, 0, 1, 0, false},  // q = 176 would be in range
        Tamper{"Reg11Zero", 0, 0, 31, 0, false},
        Tamper{"UpperBytesCount", 0x100 + 132, 0x100 + 130, 31, 0, false},
        Tamper{"Target99", 98, 98, 31, 0, false}, Tamper{"Target100", 99, 99, 31, 0, true},
        Tamper{"Target250", 249, 249, 31, 0, true}, Tamper{"Target251", 250, 250, 31, 0, false},
        Tamper{"Reg1FLowBitsDiffer", 132, 132, 31, 0x07, true},
        Tamper{"Reg1FBit3Differs", 132, 132, 31, 0x08, false},
        Tamper{"Reg1FBit7Differs", 132, 132, 31, 0x80, false},
        Tamper{"AllRulesAtOnce", 0, 20, 0, 0xF8, false}),  // still one message
    test::ByLabel());

TEST_F(LoadSettings, UpperBytesOfReg1FAreNotCompared) {
    store("REG1F", 0xABCD0000u | h.shadow[REG1F]);
    h.dialog.load_settings();
    EXPECT_TRUE(h.messages.shown().empty());
}

class MissingValue : public ::testing::TestWithParam<std::string> {};

TEST_P(MissingValue, GivesSettingsDataCrushedAfterAllSevenQueries) {
    DialogHarness h;
    h.init();
    h.open_key();
    h.dialog.save_settings();
    h.registry.key().erase(GetParam());

    h.dialog.load_settings();

    EXPECT_EQ(h.messages.shown(), std::vector<ShownMessage>{error_box("Settings Data Crushed!")});
    EXPECT_EQ(h.registry.key().queries(), kValueNames);
    EXPECT_TRUE(h.new_transfers().empty());
    EXPECT_TRUE(h.controls.log().empty());
    EXPECT_EQ(h.dialog.settings_store().load_target(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(EachValue, MissingValue, ::testing::ValuesIn(kValueNames),
                         [](const auto& name) { return name.param; });

TEST_F(LoadSettings, AnEightByteValueIsCrushedData) {
    h.registry.key().put("REG21", {RegType::Binary, {0x24, 0, 0, 0, 0, 0, 0, 0}});
    h.dialog.load_settings();
    expect_refused("Settings Data Crushed!");
}

TEST_F(LoadSettings, AShorterValueOfAnyTypeIsZeroExtended) {
    h.registry.key().put("REG11", {RegType::Binary, {132}});
    h.registry.key().put("REG21", {RegType::String, {0x24, 0x00}});
    h.dialog.load_settings();
    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "133 ");
    EXPECT_EQ(h.controls.selection(IDC_DELAY_CPU), 2);
}

TEST(SettingsKeyMissing, LoadAndSaveSayTheyCannot) {
    DialogHarness h;
    h.init();

    h.dialog.load_settings();
    h.dialog.save_settings();

    EXPECT_EQ(h.messages.shown(), (std::vector<ShownMessage>{error_box("Cannot Load Settings!"),
                                                             error_box("Cannot Save Settings!")}));
    EXPECT_TRUE(h.registry.key().queries().empty());
    EXPECT_TRUE(h.registry.key().sets().empty());
    EXPECT_TRUE(h.new_transfers().empty());
    EXPECT_EQ(h.dialog.settings_store().load_target(), std::nullopt);
}

TEST(SaveSettings, AByteIsSavedZeroExtended) {
    DialogHarness h;
    h.board.chip().set_reg(REG00, 0x85);
    h.init();
    h.open_key();
    h.registry.key().put_dword("REG00", 0xFFFFFFFF);  // left over from an earlier save

    h.dialog.save_settings();

    const auto value = h.registry.key().get("REG00");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, RegType::Dword);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0x85, 0x00, 0x00, 0x00}));
    EXPECT_EQ(h.registry.key().dword("REG00"), 133u);
}

TEST(SaveSettings, SavesTheChipNotTheUnappliedControls) {
    DialogHarness h;
    h.init();
    h.open_key();
    h.controls.select(IDC_DELAY_CPU, 3);
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.dialog.save_settings();
    EXPECT_EQ(h.registry.key().dword("REG21"), h.board.chip().reg(REG21));
    EXPECT_EQ(h.registry.key().dword("REG11"), 132u);
}

TEST(SaveSettings, AFailedWriteIsReportedOnceAndTheOthersAreStillWritten) {
    DialogHarness h;
    h.board.chip().set_reg(REG22, 0x45);
    h.init();
    h.open_key();
    h.registry.key().refuse_writes_to("REG13");

    h.dialog.save_settings();

    EXPECT_EQ(h.messages.shown(), std::vector<ShownMessage>{error_box("Cannot Save Settings!")});
    EXPECT_EQ(h.registry.key().sets(), kValueNames);
    EXPECT_FALSE(h.registry.key().get("REG13").has_value());
    EXPECT_EQ(h.registry.key().dword("REG22"), 0x45u);
}

// Save writes the register mirror only when loading would apply it and its PLL bytes are the
// ones the chip runs; otherwise the set stored earlier stays as it was.
struct SaveGuardRow {
    const char* label;
    void (*board)(sim::SimBoard&);  // before start-up
    void (*act)(DialogHarness&);    // after start-up, before the save
    bool saved;
};

void default_board(sim::SimBoard&) {}

void apply_200(DialogHarness& h) {
    h.controls.type(IDC_FREQ_EDIT, "200");
    h.dialog.run_settings();
}

template <sim::TransferKind kind, std::uint8_t reg>
void apply_200_failing_at(DialogHarness& h) {
    h.fail_next(kind, reg);
    apply_200(h);
}

class SaveGuard : public ::testing::TestWithParam<SaveGuardRow> {};

TEST_P(SaveGuard, StoresOnlyASetTheChipRunsAndLoadingAccepts) {
    const auto& row = GetParam();
    DialogHarness h;
    row.board(h.board);
    h.init();
    h.open_key();
    // What an earlier save left; a refused save must not touch any of it.
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
        h.registry.key().put_dword(kValueNames[i], 0xA0u + static_cast<std::uint32_t>(i));
    }
    row.act(h);
    h.messages.clear();

    h.dialog.save_settings();

    const std::uint8_t regs[] = {REG00, REG11, REG12, REG13, REG1F, REG21, REG22};
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
        const std::uint32_t earlier = 0xA0u + static_cast<std::uint32_t>(i);
        EXPECT_EQ(h.registry.key().dword(kValueNames[i]), row.saved ? h.shadow[regs[i]] : earlier)
            << kValueNames[i];
    }
    if (row.saved) {
        EXPECT_TRUE(h.messages.shown().empty());
        EXPECT_EQ(h.registry.key().dword("REG11"), h.board.chip().running_n());
    } else {
        EXPECT_EQ(h.messages.shown(),
                  std::vector<ShownMessage>{error_box("Cannot Save Settings!")});
        EXPECT_TRUE(h.registry.key().sets().empty());
    }
}

using sim::TransferKind;

INSTANTIATE_TEST_SUITE_P(
    Mirrors, SaveGuard,
    ::testing::Values(
        SaveGuardRow{"AfterACompleteApply", default_board, apply_200, true},
        // Written but never latched: the chip still runs the clock it had.
        SaveGuardRow{"CommitFailedAtReg12", default_board,
                     apply_200_failing_at<TransferKind::WordWrite, REG12>, false},
        SaveGuardRow{"CommitFailedAtReg17Read", default_board,
                     apply_200_failing_at<TransferKind::WordRead, REG17>, false},
        // A refused first write may still have reached the chip, so it counts as unlatched.
        SaveGuardRow{"CommitFailedAtReg11", default_board,
                     apply_200_failing_at<TransferKind::WordWrite, REG11>, false},
        SaveGuardRow{"FailedCommitThenACompleteApply", default_board,
                     [](DialogHarness& h) {
                         apply_200_failing_at<TransferKind::WordWrite, REG13>(h);
                         h.controls.type(IDC_FREQ_EDIT, "");
                         h.dialog.run_settings();
                     },
                     true},
        // Failures that come before or after the PLL registers leave nothing unlatched.
        SaveGuardRow{"Reg22WriteFailed", default_board,
                     apply_200_failing_at<TransferKind::WordWrite, REG22>, true},
        SaveGuardRow{"Reg00WriteFailed", default_board,
                     [](DialogHarness& h) {
                         h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
                         apply_200_failing_at<TransferKind::WordWrite, REG00>(h);
                     },
                     true},
        // Sets that loading would refuse with "Cannot Apply These Settings!".
        SaveGuardRow{"DepthBeyondTen",
                     [](sim::SimBoard& board) { board.chip().power_up_pll(132, 31, 11); },
                     [](DialogHarness&) {}, false},
        SaveGuardRow{"ClockBelowTheSlider",
                     [](sim::SimBoard& board) { board.chip().power_up_pll(59, 31, 0); },
                     [](DialogHarness&) {}, false}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
