// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bus/pci_config.h"
#include "clockgen/registers.h"
#include "res/resource_ids.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"
#include "ui/frequency_fields.h"

namespace vantrel {
namespace {

using test::DialogHarness;
using test::error_box;
using test::PrintTo;

constexpr int kSettingControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,      IDC_FREQ_EDIT,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,   IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_LOAD_SETTINGS,
    IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};
constexpr int kFrequencyFields[] = {IDC_CPU_SPEED, IDC_CPU_EXT_FREQ, IDC_PCI_FREQ, IDC_SDRAM_FREQ,
                                    IDC_3V66_FREQ};

struct HubCase {
    const char* label;
    std::uint32_t hub_id;
    const char* name;
};

class InitOnHub : public ::testing::TestWithParam<HubCase> {};

TEST_P(InitOnHub, ShowsTheControllerAndTheClocks) {
    DialogHarness h;
    h.board.pci().set_hub_id(GetParam().hub_id);
    h.board.chip().set_reg(REG00, kReg00SpreadEnable);

    EXPECT_TRUE(h.dialog.on_init_dialog());

    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.controls.text(IDC_SM_TYPE), GetParam().name);
    EXPECT_EQ(h.controls.text(IDC_GENERATOR), "VXC 812-07 ");
    // The simulated chip runs N 132, M 31 with dividers 3 and 3: a 399 MHz VCO.
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), " 733.0");
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), " 133.0");
    EXPECT_EQ(h.controls.text(IDC_PCI_FREQ), "  33.3");  // 33.25 rounds up
    EXPECT_EQ(h.controls.text(IDC_SDRAM_FREQ), " 133.0");
    EXPECT_EQ(h.controls.text(IDC_3V66_FREQ), "  66.5");
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "");
    for (const int id : kSettingControls) {
        EXPECT_TRUE(h.controls.enabled(id)) << id;
    }
    EXPECT_EQ(h.cpu.calls(), 1u);
    EXPECT_TRUE(h.board.log().violations().empty());
}

INSTANTIATE_TEST_SUITE_P(EachKind, InitOnHub,
                         ::testing::Values(HubCase{"Ich82801AA", kIdIch82801AA, "82801AA"},
                                           HubCase{"Ich82801AB", kIdIch82801AB, "82801AB"},
                                           HubCase{"Ich82801BA", kIdIch82801BA, "82801BA"}),
                         test::ByLabel());

TEST(MainDialogInit, SetsBothWindowIconsToTheMainIcon) {
    DialogHarness h;
    h.init();
    const auto icon = test::FakeDialogWindow::handle_of(IDR_MAINFRAME);
    EXPECT_EQ(h.window.loaded(), std::vector<int>{IDR_MAINFRAME});
    const std::vector<std::pair<IconKind, IconHandle>> expected = {{IconKind::Big, icon},
                                                                   {IconKind::Small, icon}};
    EXPECT_EQ(h.window.icons_set(), expected);
    EXPECT_EQ(h.dialog.on_query_drag_icon(), icon);
}

// The boards on which initialisation fails, and how.
enum class Failure : unsigned char { NoHub, UnprogrammedBase, NoClockGenerator };

void break_board(sim::SimBoard& board, Failure failure) {
    switch (failure) {
        case Failure::NoHub:
            board.pci().set_hub_id(sim::kNoDevice);
            return;
        case Failure::UnprogrammedBase:
            board.pci().set_smbus_base(0x0000);  // the base register then reads 0x0001
            return;
        case Failure::NoClockGenerator:
            board.chip().queue_block_counts({16, 16, 17});  // never announces 22 bytes
            return;
    }
}

struct FailedInitCase {
    const char* label;
    Failure failure;
    const char* message;
    const char* sm_type;
};

class FailedInit : public ::testing::TestWithParam<FailedInitCase> {};

TEST_P(FailedInit, ReportsAndDisablesTheSettingControls) {
    const auto& c = GetParam();
    DialogHarness h;
    break_board(h.board, c.failure);

    EXPECT_TRUE(h.dialog.on_init_dialog());

    // Without a controller no SMBus port is ever touched, only PCI configuration.
    EXPECT_EQ(h.io.byte_accesses() == 0, c.failure != Failure::NoClockGenerator);

    EXPECT_EQ(h.messages.shown(),
              std::vector<test::ShownMessage>{error_box(c.message, MessageIcon::Stop)});
    std::vector<std::string> disabled;
    for (const int id : kSettingControls) {
        disabled.push_back("enable " + std::to_string(id) + " 0");
    }
    std::vector<std::string> enables;
    for (const auto& entry : h.controls.log()) {
        if (entry.rfind("enable", 0) == 0) {
            enables.push_back(entry);
        }
    }
    EXPECT_EQ(enables, disabled);  // all 13, in order
    EXPECT_EQ(h.controls.text(IDC_SM_TYPE), c.sm_type);
    EXPECT_EQ(h.controls.text(IDC_GENERATOR), "");
    for (const int id : kFrequencyFields) {
        EXPECT_TRUE(h.controls.enabled(id)) << id;
        EXPECT_EQ(h.controls.text(id), "") << id;
    }
    EXPECT_EQ(h.cpu.calls(), 0u);

    // The check box stays enabled and unchecked and still governs the two lists, without any
    // bus access: it only decides what the lists offer.
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_ENABLE));
    EXPECT_EQ(h.controls.check_state(IDC_SPREAD_ENABLE), kBstUnchecked);
    const unsigned accesses = h.io.accesses();
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_MODEL));
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
    h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
    EXPECT_FALSE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_FALSE(h.controls.enabled(IDC_SPREAD_MODEL));
    EXPECT_EQ(h.io.accesses(), accesses);
    EXPECT_EQ(h.messages.shown().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BothDetections, FailedInit,
    ::testing::Values(FailedInitCase{"NoController", Failure::NoHub, "Cannot Get SM Base Address!",
                                     ""},
                      FailedInitCase{"UnprogrammedBase", Failure::UnprogrammedBase,
                                     "Cannot Get SM Base Address!", ""},
                      FailedInitCase{"NoClockGenerator", Failure::NoClockGenerator,
                                     "Cannot Find VXC812-07 Clock Generator!", "82801BA"}),
    test::ByLabel());

// After a failed initialisation the dialog logic itself ignores every event that could reach
// the bus or the settings, whatever route it comes by; the controls are not the only guard.
struct IgnoredEvent {
    const char* label;
    void (*send)(MainDialog&);
};

class EventAfterFailedInit : public ::testing::TestWithParam<IgnoredEvent> {};

TEST_P(EventAfterFailedInit, TouchesNoPortAndShowsNothing) {
    for (const Failure failure :
         {Failure::NoHub, Failure::UnprogrammedBase, Failure::NoClockGenerator}) {
        SCOPED_TRACE(static_cast<int>(failure));
        DialogHarness h;
        break_board(h.board, failure);
        h.init();
        // Everything a handler would act on is in place: a key with a valid set, a typed
        // clock, a ticked box.
        h.open_key();
        for (const char* name : {"REG00", "REG11", "REG12", "REG13", "REG1F", "REG21", "REG22"}) {
            h.registry.key().put_dword(name, 0);
        }
        h.registry.key().put_dword("REG11", 132);
        h.registry.key().put_dword("REG12", 132);
        h.registry.key().put_dword("REG13", 31);
        h.controls.type(IDC_FREQ_EDIT, "150");
        h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
        h.controls.clear_log();
        const unsigned accesses = h.io.accesses();
        const ClockState clock = h.clock;

        GetParam().send(h.dialog);

        EXPECT_EQ(h.io.accesses(), accesses);
        EXPECT_TRUE(h.messages.shown().empty());
        EXPECT_TRUE(h.controls.log().empty());
        EXPECT_TRUE(h.registry.key().queries().empty());
        EXPECT_EQ(h.registry.key().dword("REG11"), 132u);
        EXPECT_EQ(h.clock.pll_n, clock.pll_n);
        EXPECT_EQ(h.cpu.calls(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventAfterFailedInit,
    ::testing::Values(
        IgnoredEvent{"RunClicked",
                     [](MainDialog& d) { d.on_command(IDC_RUN_SETTINGS, kBnClicked); }},
        IgnoredEvent{"SaveClicked",
                     [](MainDialog& d) { d.on_command(IDC_SAVE_SETTINGS, kBnClicked); }},
        IgnoredEvent{"LoadClicked",
                     [](MainDialog& d) { d.on_command(IDC_LOAD_SETTINGS, kBnClicked); }},
        IgnoredEvent{"SliderScrolled", [](MainDialog& d) { d.on_slider_scroll(); }},
        IgnoredEvent{"RunCalled", [](MainDialog& d) { d.run_settings(); }}),
    test::ByLabel());

TEST(MainDialogInit, NoControllerMeansNoBusTraffic) {
    DialogHarness h;
    h.board.pci().set_hub_id(sim::kNoDevice);
    h.dialog.on_init_dialog();
    EXPECT_TRUE(h.board.smbus().transfers().empty());
}

struct SliderCase {
    const char* label;
    unsigned cpu_divider;
    std::uint8_t n;
    int minimum;
    int maximum;
    int position;
    const char* cpu_ext_text;
};

class SliderAtInit : public ::testing::TestWithParam<SliderCase> {};

TEST_P(SliderAtInit, RangeTicksAndPosition) {
    const auto& c = GetParam();
    DialogHarness h;
    h.board.chip().set_straps(c.cpu_divider, 3);
    h.board.chip().power_up_pll(c.n, 31, 0);

    h.init();

    EXPECT_EQ(h.controls.slider_minimum(IDC_FREQ_SLIDER), c.minimum);
    EXPECT_EQ(h.controls.slider_maximum(IDC_FREQ_SLIDER), c.maximum);
    EXPECT_EQ(h.controls.slider_tick_frequency(IDC_FREQ_SLIDER), 5);
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), c.position);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), c.cpu_ext_text);
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), "");
}

INSTANTIATE_TEST_SUITE_P(
    EachDivider, SliderAtInit,
    ::testing::Values(SliderCase{"Divider3", 3, 132, 100, 250, 133, " 133.0"},
                      // 99.75 truncates to 99.
                      SliderCase{"Divider4Truncates", 4, 132, 75, 180, 99, "  99.8"},
                      SliderCase{"Divider4AtMinimum", 4, 99, 75, 180, 75, "  75.0"},
                      SliderCase{"Divider6AtMinimum", 6, 99, 50, 120, 50, "  50.0"},
                      SliderCase{"ClampedUpToTheMinimum", 3, 59, 100, 250, 100, "  60.0"},
                      SliderCase{"ClampedDownToTheMaximum", 6, 249, 50, 120, 120, " 125.0"}),
    test::ByLabel());

TEST(MainDialogInit, TwoThirdsOfAMegahertzTruncates) {
    // N 124, M 29: a 400 MHz VCO, so divider 6 gives a host clock of 66.67 MHz.
    DialogHarness h;
    h.board.chip().set_straps(6, 3);
    h.board.chip().power_up_pll(124, 29, 0);
    h.init();
    EXPECT_FLOAT_EQ(h.clock.cpu_ext_mhz, 66.666664f);
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 66);
    EXPECT_EQ(h.controls.text(IDC_CPU_EXT_FREQ), "  66.7");
}

TEST(MainDialogInit, SlidersRangeIsSetMinimumFirst) {
    DialogHarness h;
    h.board.chip().set_straps(4, 3);
    h.dialog.on_init_dialog();
    std::vector<std::string> slider;
    for (const auto& entry : h.controls.log()) {
        if (entry.rfind("slider", 0) == 0) {
            slider.push_back(entry);
        }
    }
    const std::vector<std::string> expected = {"slider-min 1010 75", "slider-max 1010 180",
                                               "slider-ticks 1010 5", "slider-pos 1010 99"};
    EXPECT_EQ(slider, expected);
}

TEST(MainDialogInit, ListsShowTheChipsCodes) {
    DialogHarness h;
    h.board.chip().set_reg(REG21, 0xE4);  // CPU 2, PCI 1, SDRAM 0
    h.board.chip().set_reg(REG22, 0xC5);  // 3V66 3, model 5
    h.board.chip().power_up_pll(132, 31, 7);
    h.board.chip().set_reg(REG00, kReg00SpreadEnable);

    h.init();

    EXPECT_EQ(h.controls.selection(IDC_DELAY_CPU), 2);
    EXPECT_EQ(h.controls.selection(IDC_DELAY_PCI), 1);
    EXPECT_EQ(h.controls.selection(IDC_DELAY_SDRAM), 0);
    EXPECT_EQ(h.controls.selection(IDC_DELAY_3V66), 3);
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), 7);
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_MODEL), 5);
    EXPECT_EQ(h.controls.check_state(IDC_SPREAD_ENABLE), kBstChecked);
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_MODEL));
}

TEST(MainDialogInit, DepthBeyondTenLeavesNoSelection) {
    DialogHarness h;
    h.board.chip().power_up_pll(132, 31, 11);
    h.init();
    EXPECT_EQ(h.clock.spread_depth, 11);
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), kCbErr);
}

TEST(MainDialogInit, SpreadOffDisablesDepthAndModelButKeepsTheirSelections) {
    DialogHarness h;
    h.board.chip().power_up_pll(132, 31, 4);
    h.board.chip().set_reg(REG22, 0x03);
    h.board.chip().set_reg(REG00, 0xFD);  // every bit but spread spectrum

    h.init();

    EXPECT_EQ(h.controls.check_state(IDC_SPREAD_ENABLE), kBstUnchecked);
    EXPECT_FALSE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_FALSE(h.controls.enabled(IDC_SPREAD_MODEL));
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), 4);
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_MODEL), 3);

    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_TRUE(h.controls.enabled(IDC_SPREAD_MODEL));
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
    h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
    EXPECT_FALSE(h.controls.enabled(IDC_SPREAD_DEPTH));
    EXPECT_EQ(h.controls.selection(IDC_SPREAD_DEPTH), 4);
}

TEST(SpreadClicked, IndeterminateChangesNothing) {
    for (const bool enabled_before : {false, true}) {
        DialogHarness h;
        h.init();
        h.controls.enable(IDC_SPREAD_DEPTH, enabled_before);
        h.controls.enable(IDC_SPREAD_MODEL, enabled_before);
        h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstIndeterminate);
        h.dialog.on_spread_clicked();
        EXPECT_EQ(h.controls.enabled(IDC_SPREAD_DEPTH), enabled_before);
        EXPECT_EQ(h.controls.enabled(IDC_SPREAD_MODEL), enabled_before);
    }
}

struct ScrollCase {
    const char* label;
    unsigned cpu_divider;
    int dragged_to;
    const char* text;
};

class SliderScroll : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(SliderScroll, WritesThePositionIntoTheEditBox) {
    DialogHarness h;
    h.board.chip().set_straps(GetParam().cpu_divider, 3);
    h.init();
    h.controls.set_slider_position(IDC_FREQ_SLIDER, GetParam().dragged_to);
    h.dialog.on_slider_scroll();
    EXPECT_EQ(h.controls.text(IDC_FREQ_EDIT), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Ends, SliderScroll,
                         ::testing::Values(ScrollCase{"Divider4Minimum", 4, 75, " 75 "},
                                           ScrollCase{"Divider4Maximum", 4, 180, "180 "},
                                           ScrollCase{"Divider3Maximum", 3, 250, "250 "},
                                           ScrollCase{"Divider3Minimum", 3, 100, "100 "},
                                           // The thumb stops at 250.
                                           ScrollCase{"PastTheMaximum", 3, 400, "250 "},
                                           ScrollCase{"Divider6TwoDigits", 6, 99, " 99 "}),
                         test::ByLabel());

TEST(SliderScroll, TypingDoesNotMoveTheSlider) {
    DialogHarness h;
    h.init();
    h.controls.type(IDC_FREQ_EDIT, "200");
    EXPECT_EQ(h.controls.slider_position(IDC_FREQ_SLIDER), 133);
}

TEST(MainDialogCommands, ButtonClicksReachTheirHandlers) {
    DialogHarness h;
    h.init();
    // Load without a key reports itself; that proves the route without touching the chip.
    EXPECT_TRUE(h.dialog.on_command(IDC_LOAD_SETTINGS, kBnClicked));
    EXPECT_EQ(h.messages.shown(),
              std::vector<test::ShownMessage>{error_box("Cannot Load Settings!")});
    EXPECT_TRUE(h.dialog.on_command(IDC_SAVE_SETTINGS, kBnClicked));
    h.controls.type(IDC_FREQ_EDIT, "0");
    EXPECT_TRUE(h.dialog.on_command(IDC_RUN_SETTINGS, kBnClicked));

    EXPECT_FALSE(h.dialog.on_command(IDC_RUN_SETTINGS, 1));  // not a click
    EXPECT_FALSE(h.dialog.on_command(kIdOk, kBnClicked));    // left to the framework
    EXPECT_EQ(h.messages.shown(),
              (std::vector<test::ShownMessage>{error_box("Cannot Load Settings!"),
                                               error_box("Cannot Save Settings!"),
                                               error_box("Invalid Frequency")}));
}

TEST(OnPaint, CentresTheIconWhenMinimised) {
    const struct {
        PixelSize client;
        PixelSize icon;
        const char* draw;
    } cases[] = {
        {{36, 36}, {32, 32}, "draw 2,2"},
        {{37, 35}, {32, 32}, "draw 3,2"},  // (37 - 32 + 1) / 2 and (35 - 32 + 1) / 2
        {{16, 20}, {16, 16}, "draw 0,2"},
        {{10, 10}, {32, 32}, "draw -10,-10"},  // -21 / 2 truncates toward zero
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.window.set_minimised(true);
        h.window.set_client_size(c.client);
        h.window.set_icon_size(c.icon);
        h.dialog.on_paint();
        const std::vector<std::string> expected = {"begin", "erase", c.draw, "end"};
        EXPECT_EQ(h.window.log(), expected);
        EXPECT_EQ(h.window.drawn_icon(), test::FakeDialogWindow::handle_of(IDR_MAINFRAME));
    }
}

TEST(OnPaint, LeavesANormalWindowToTheDefault) {
    DialogHarness h;
    h.dialog.on_paint();
    EXPECT_EQ(h.window.log(), std::vector<std::string>{"default"});
}

TEST(MainDialogInitOnSimulatedCpu, MeasuresTheCoreClockOnceTheChipIsFound) {
    const struct {
        unsigned cpu_divider;
        std::uint8_t n;
        double multiplier;
    } cases[] = {{3, 132, 7.5}, {4, 132, 5.0}, {6, 124, 10.0}};
    for (const auto& c : cases) {
        DialogHarness h(test::CpuSource::SimulatedCpu);
        h.board.chip().set_straps(c.cpu_divider, 3);
        h.board.chip().power_up_pll(c.n, 31, 0);
        h.board.cpu().set_multiplier(c.multiplier);

        h.init();

        const double core_mhz = c.multiplier * h.board.chip().running_cpu_ext_mhz();
        EXPECT_NEAR(h.clock.cpu_speed_mhz, core_mhz, 2.0) << c.multiplier;
        // Whole MHz, as the measurement stores it.
        EXPECT_EQ(h.clock.cpu_speed_mhz, std::trunc(h.clock.cpu_speed_mhz));
        EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), format_mhz_field(h.clock.cpu_speed_mhz));
        EXPECT_TRUE(h.board.log().violations().empty());
    }
}

TEST(MainDialogInitOnSimulatedCpu, NoClockGeneratorMeansNoMeasurement) {
    DialogHarness h(test::CpuSource::SimulatedCpu);
    h.board.chip().queue_block_counts({16, 16, 17});
    h.dialog.on_init_dialog();
    EXPECT_TRUE(h.board.cpu().priority_history().empty());
    EXPECT_EQ(h.controls.text(IDC_CPU_SPEED), "");
}

}  // namespace
}  // namespace vantrel
