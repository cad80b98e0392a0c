// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "res/dialog_templates.h"
#include "support/param_name.h"
#include "ui/dialog_units.h"

namespace vantrel {
namespace {

using test::PrintTo;

struct BaseUnitCase {
    const char* label;
    FontMetrics font;
    DialogBaseUnits expected;
};

class BaseUnits : public ::testing::TestWithParam<BaseUnitCase> {};

TEST_P(BaseUnits, AverageOfFiftyTwoLettersRoundedHalfUp) {
    const DialogBaseUnits units = dialog_base_units(GetParam().font);
    EXPECT_EQ(units.x, GetParam().expected.x);
    EXPECT_EQ(units.y, GetParam().expected.y);
}

INSTANTIATE_TEST_SUITE_P(Fonts, BaseUnits,
                         ::testing::Values(
                             // 312 / 26 = 12, (12 + 1) / 2 = 6: an average of exactly 6 stays 6.
                             BaseUnitCase{"Average6", {312, 15}, {6, 15}},
                             // 338 / 26 = 13, (13 + 1) / 2 = 7: an average of 6.5 rounds up.
                             BaseUnitCase{"Average6Half", {338, 15}, {7, 15}},
                             // 337 / 26 = 12 (truncated first), so 6.48 stays 6.
                             BaseUnitCase{"JustBelowHalf", {337, 14}, {6, 14}},
                             BaseUnitCase{"SystemFont8x16", {416, 16}, {8, 16}}),
                         test::ByLabel());

struct PixelCase {
    const char* label;
    res::DialogRect rect;
    DialogBaseUnits units;
    PixelRect expected;
};

class ToPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(ToPixels, EachFieldOnItsOwnRoundedLikeMulDiv) {
    const PixelRect px = dialog_to_pixels(GetParam().rect, GetParam().units);
    const PixelRect& want = GetParam().expected;
    EXPECT_EQ(px.x, want.x);
    EXPECT_EQ(px.y, want.y);
    EXPECT_EQ(px.width, want.width);
    EXPECT_EQ(px.height, want.height);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, ToPixels,
    ::testing::Values(
        // Run Settings at base units 6 x 15: 150*6/4 = 225, 192*15/8 = 360, 64*6/4 = 96,
        // 16*15/8 = 30.
        PixelCase{"RunSettings", {150, 192, 64, 16}, {6, 15}, {225, 360, 96, 30}},
        // 7*7/4 = 12.25 -> 12; 9*15/8 = 16.875 -> 17; 173*7/4 = 302.75 -> 303;
        // 75*15/8 = 140.625 -> 141.
        PixelCase{"CautionFrame", {7, 9, 173, 75}, {7, 15}, {12, 17, 303, 141}},
        // Exact halves round up: 1*6/4 = 1.5 -> 2, 1*12/8 = 1.5 -> 2.
        PixelCase{"HalvesRoundUp", {1, 1, 1, 1}, {6, 12}, {2, 2, 2, 2}},
        // Negative coordinates round half away from zero, as MulDiv does.
        PixelCase{"Negative", {-1, -1, 0, 0}, {6, 12}, {-2, -2, 0, 0}}),
    test::ByLabel());

TEST(DialogClientPixels, MainDialogAtSixByFifteen) {
    const PixelRect client = dialog_client_pixels(res::kMainDialog, {6, 15});
    // 221 * 6 / 4 = 331.5 -> 332; 238 * 15 / 8 = 446.25 -> 446.
    EXPECT_EQ(client.width, 332);
    EXPECT_EQ(client.height, 446);
}

}  // namespace
}  // namespace vantrel
