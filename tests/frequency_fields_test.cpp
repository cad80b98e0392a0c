// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "res/dialog_templates.h"
#include "support/fake_dialog_controls.h"
#include "support/param_name.h"
#include "ui/frequency_fields.h"

namespace vantrel {
namespace {

using test::PrintTo;

struct MhzFieldCase {
    const char* label;
    float mhz;
    const char* text;
};

class MhzField : public ::testing::TestWithParam<MhzFieldCase> {};

TEST_P(MhzField, Text) {
    EXPECT_EQ(format_mhz_field(GetParam().mhz), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(SixCharacters, MhzField,
                         ::testing::Values(MhzFieldCase{"OneDigit", 5.0f, "   5.0"},
                                           MhzFieldCase{"TwoDigits", 33.33f, "  33.3"},
                                           MhzFieldCase{"ThreeDigits", 133.33f, " 133.3"},
                                           MhzFieldCase{"RoundingAddsADigit", 99.96f, " 100.0"},
                                           MhzFieldCase{"FourDigits", 1266.0f, "1266.0"},
                                           MhzFieldCase{"ExactHalfRoundsUp", 50.25f, "  50.3"},
                                           MhzFieldCase{"ThreeQuartersRoundUp", 50.75f, "  50.8"},
                                           MhzFieldCase{"OneThousand", 1000.0f, "1000.0"},
                                           MhzFieldCase{"PciOfA400MhzVco", 33.333332f, "  33.3"},
                                           MhzFieldCase{"OneDecimal", 66.5f, "  66.5"},
                                           MhzFieldCase{"RoundsUpToTwoDigits", 9.96f, "  10.0"},
                                           MhzFieldCase{"LargestWithFourDigits", 9999.94f,
                                                        "9999.9"}),
                         test::ByLabel());

INSTANTIATE_TEST_SUITE_P(
    BeyondSixCharacters, MhzField,
    ::testing::Values(MhzFieldCase{"NotMeasured", 0.0f, "   n/a"},  // a speed never measured
                      MhzFieldCase{"BelowOne", 0.4f, "   0.4"},
                      MhzFieldCase{"RoundsToZero", 0.04f, "   0.0"},
                      // 0.95f is 0.94999999 and gives 0.9
                      MhzFieldCase{"RoundsUpToOne", 0.96f, "   1.0"},
                      // 9999.9501953125 as a float
                      MhzFieldCase{"RoundsUpToFiveDigits", 9999.95f, "10000.0"},
                      MhzFieldCase{"SixDigits", 123456.0f, "123456.0"}),
    test::ByLabel());

struct TargetTextCase {
    const char* label;
    int mhz;
    const char* text;
};

class TargetText : public ::testing::TestWithParam<TargetTextCase> {};

TEST_P(TargetText, FourCharacters) {
    EXPECT_EQ(format_target_text(GetParam().mhz), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    All, TargetText,
    ::testing::Values(TargetTextCase{"Mhz75", 75, " 75 "}, TargetTextCase{"Mhz133", 133, "133 "},
                      TargetTextCase{"Mhz250", 250, "250 "}, TargetTextCase{"Mhz50", 50, " 50 "},
                      TargetTextCase{"Mhz99", 99, " 99 "}, TargetTextCase{"Mhz100", 100, "100 "},
                      TargetTextCase{"Mhz10", 10, " 10 "}, TargetTextCase{"Mhz999", 999, "999 "}),
    test::ByLabel());

TEST(ShowFrequencies, FillsTheFiveFieldsFromClockState) {
    test::FakeDialogControls controls(res::kMainDialog);
    ClockState clock;
    clock.vco_mhz = 400.0f;
    clock.sdram_divider = 3;
    clock.pci_mhz = 33.333332f;
    clock.cpu_ext_mhz = 133.33333f;
    clock.cpu_speed_mhz = 1000.0f;

    show_frequencies(controls, clock);

    EXPECT_EQ(controls.text(IDC_CPU_SPEED), "1000.0");
    EXPECT_EQ(controls.text(IDC_CPU_EXT_FREQ), " 133.3");
    EXPECT_EQ(controls.text(IDC_PCI_FREQ), "  33.3");
    EXPECT_EQ(controls.text(IDC_SDRAM_FREQ), " 133.3");
    EXPECT_EQ(controls.text(IDC_3V66_FREQ), "  66.7");
    const std::vector<std::string> order = {
        "text 1006 1000.0", "text 1008  133.3", "text 1009   33.3",
        "text 1013  133.3", "text 1014   66.7",
    };
    EXPECT_EQ(controls.log(), order);
}

TEST(ShowFrequencies, SdramFollowsItsDivider) {
    test::FakeDialogControls controls(res::kMainDialog);
    ClockState clock;
    clock.vco_mhz = 399.0f;
    clock.sdram_divider = 4;

    show_frequencies(controls, clock);

    EXPECT_EQ(controls.text(IDC_SDRAM_FREQ), "  99.8");  // 99.75 rounds up
    EXPECT_EQ(controls.text(IDC_3V66_FREQ), "  66.5");
}

}  // namespace
}  // namespace vantrel
