// SPDX-License-Identifier: GPL-2.0-or-later
// The fakes stand in for Win32 controls and the registry, so they are held to the rules of the
// real ones that the dialog logic depends on.
#include <gtest/gtest.h>

#include <vector>

#include "res/dialog_templates.h"
#include "support/fake_dialog_controls.h"
#include "support/fake_registry.h"

namespace vantrel {
namespace {

using test::FakeDialogControls;
using test::FakeRegistryKey;
using test::RegType;
using test::RegValue;

TEST(FakeList, StartsWithoutSelectionAndHoldsTheTemplatesItems) {
    FakeDialogControls controls(res::kMainDialog);
    EXPECT_EQ(controls.selection(IDC_DELAY_CPU), kCbErr);
    EXPECT_EQ(controls.item_count(IDC_DELAY_CPU), 4);
    EXPECT_EQ(controls.item_count(IDC_SPREAD_DEPTH), 11);
    EXPECT_EQ(controls.item_count(IDC_SPREAD_MODEL), 8);
}

TEST(FakeList, SelectingPastTheLastItemClearsTheSelection) {
    const struct {
        int index;
        int selection;
    } cases[] = {{0, 0}, {10, 10}, {11, kCbErr}, {254, kCbErr}, {-1, kCbErr}};
    for (const auto& c : cases) {
        FakeDialogControls controls(res::kMainDialog);
        controls.select(IDC_SPREAD_DEPTH, 5);
        controls.select(IDC_SPREAD_DEPTH, c.index);
        EXPECT_EQ(controls.selection(IDC_SPREAD_DEPTH), c.selection) << c.index;
    }
}

TEST(FakeSlider, ClampsItsPositionToTheRange) {
    const struct {
        int minimum;
        int maximum;
        int position;
        int expected;
    } cases[] = {{100, 250, 133, 133},
                 {100, 250, 99, 100},
                 {100, 250, 251, 250},
                 {75, 180, 75, 75},
                 {50, 120, -5, 50}};
    for (const auto& c : cases) {
        FakeDialogControls controls(res::kMainDialog);
        controls.set_slider_minimum(IDC_FREQ_SLIDER, c.minimum);
        controls.set_slider_maximum(IDC_FREQ_SLIDER, c.maximum);
        controls.set_slider_position(IDC_FREQ_SLIDER, c.position);
        EXPECT_EQ(controls.slider_position(IDC_FREQ_SLIDER), c.expected) << c.position;
    }
}

TEST(FakeSlider, ANewRangePullsThePositionIn) {
    FakeDialogControls controls(res::kMainDialog);
    EXPECT_EQ(controls.slider_position(IDC_FREQ_SLIDER), 0);
    controls.set_slider_minimum(IDC_FREQ_SLIDER, 50);
    EXPECT_EQ(controls.slider_position(IDC_FREQ_SLIDER), 50);
    controls.set_slider_position(IDC_FREQ_SLIDER, 90);
    controls.set_slider_maximum(IDC_FREQ_SLIDER, 80);
    EXPECT_EQ(controls.slider_position(IDC_FREQ_SLIDER), 80);
}

TEST(FakeCheckBox, KeepsAllThreeStates) {
    FakeDialogControls controls(res::kMainDialog);
    EXPECT_EQ(controls.check_state(IDC_SPREAD_ENABLE), kBstUnchecked);
    for (const int state : {kBstChecked, kBstIndeterminate, kBstUnchecked}) {
        controls.set_check_state(IDC_SPREAD_ENABLE, state);
        EXPECT_EQ(controls.check_state(IDC_SPREAD_ENABLE), state);
    }
}

TEST(FakeRegistryKey, QueriesFourBytesAsRegQueryValueExDoes) {
    const struct {
        const char* label;
        std::optional<RegValue> stored;
        bool ok;
        std::uint32_t value;
    } cases[] = {
        {"missing", std::nullopt, false, 0},
        {"dword", RegValue{RegType::Dword, {0x85, 0, 0, 0}}, true, 133},
        {"short", RegValue{RegType::Binary, {0x34, 0x12}}, true, 0x1234},
        {"empty", RegValue{RegType::Binary, {}}, true, 0},
        {"string type ignored", RegValue{RegType::String, {'7', 0}}, true, '7'},
        {"five bytes", RegValue{RegType::Binary, {1, 0, 0, 0, 0}}, false, 0},
        {"eight bytes", RegValue{RegType::Binary, {1, 0, 0, 0, 0, 0, 0, 0}}, false, 0},
    };
    for (const auto& c : cases) {
        FakeRegistryKey key;
        if (c.stored) {
            key.put("V", *c.stored);
        }
        std::uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(key.query_dword("V", value), c.ok) << c.label;
        EXPECT_EQ(value, c.ok ? c.value : 0xDEADBEEF) << c.label;
    }
}

TEST(FakeRegistryKey, SetStoresAFourByteDword) {
    FakeRegistryKey key;
    key.put("V", {RegType::String, {'x', 'y', 'z', 0, 0, 0}});
    ASSERT_TRUE(key.set_dword("V", 0xFFFFFFFF));
    const auto value = key.get("V");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, RegType::Dword);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(DialogTemplates, ControlsWithIdsComeFirstInTabOrder) {
    const int main_ids[] = {IDC_RUN_SETTINGS, IDC_DELAY_CPU,     IDC_DELAY_PCI,     IDC_DELAY_SDRAM,
                            IDC_DELAY_3V66,   IDC_SPREAD_DEPTH,  IDC_SPREAD_MODEL,  IDC_FREQ_EDIT,
                            IDC_FREQ_SLIDER,  IDC_LOAD_SETTINGS, IDC_SAVE_SETTINGS, IDC_GENERATOR,
                            IDC_CPU_SPEED,    IDC_SM_TYPE,       IDC_CPU_EXT_FREQ,  IDC_PCI_FREQ,
                            IDC_SDRAM_FREQ,   IDC_3V66_FREQ,     IDC_SPREAD_ENABLE};
    int with_id = 0;
    for (const auto& control : res::kMainDialog.controls) {
        with_id += control.id != kIdStatic ? 1 : 0;
    }
    EXPECT_EQ(with_id, 19);
    // Template order is the tab order, so the ID'd controls come in this order.
    for (std::size_t i = 0; i < std::size(main_ids); ++i) {
        EXPECT_EQ(res::kMainDialog.controls[i].id, main_ids[i]) << i;
    }
    EXPECT_NE(res::find_control(res::kCautionDialog, IDC_DONT_SHOW), nullptr);
    EXPECT_EQ(res::kCautionDialog.controls[0].id, kIdOk);
}

}  // namespace
}  // namespace vantrel
