// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "res/version_info.h"
#include "support/param_name.h"

// The two dialog templates and the version block, row by row as the program's description of
// its windows gives them. Both desktop programs build their windows from res/, so a changed
// width, item text or caption here is a changed window there.

namespace vantrel::res {
namespace {

using test::PrintTo;

using Items = std::vector<std::string_view>;

const Items kNoItems;
const Items kDelays = {"None", "150ps", "300ps", "450ps"};
const Items kDepths = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
const Items kModels = {"0", "1", "2", "3", "4", "5", "6", "7"};

struct ControlRow {
    const char* label;
    ControlKind kind;
    int id;
    std::uint32_t style;
    DialogRect rect;
    std::string_view text;
    int icon;
    const Items* items;
    const char* group;  // the caption of the group box the control sits in, or nullptr
};

constexpr std::uint32_t kList = kStyleVScroll | kStyleUnsorted | kStyleTabStop;
constexpr std::uint32_t kReadOnly = kStyleBorder | kStyleAutoHScroll | kStyleReadOnly;
constexpr std::uint32_t kEditStyle =
    kStyleBorder | kStyleDigitsOnly | kStyleAutoHScroll | kStyleTabStop;
constexpr std::uint32_t kSliderStyle = kStyleHorizontal | kStyleAutoTicks | kStyleTabStop;
constexpr std::uint32_t kCheckStyle = kStyleAutoCheck | kStyleTabStop;
constexpr std::uint32_t kDefaultButton = kStyleDefaultButton | kStyleTabStop;
constexpr std::uint32_t kParagraph = kStyleLeftText | kStyleGroupStart;

constexpr ControlKind kButton = ControlKind::PushButton;
constexpr ControlKind kDropDown = ControlKind::DropDownList;
constexpr ControlKind kEdit = ControlKind::Edit;
constexpr ControlKind kCheck = ControlKind::CheckBox;
constexpr ControlKind kGroup = ControlKind::GroupBox;
constexpr ControlKind kLabel = ControlKind::Label;
constexpr ControlKind kIcon = ControlKind::Icon;

constexpr const char* kProduct = "Product Information";
constexpr const char* kSystem = "System Information";
constexpr const char* kDelay = "Group Delay Setting";
constexpr const char* kSpread = "Spread-Spectrum Setting";
constexpr const char* kClock = "Clock Speed Setting";
constexpr const char* kFrame = "                  FOR LABORATORY USE ONLY  ! ";
constexpr int kNone = kIdStatic;

// clang-format off

// IDD_MAIN's controls with IDs, in tab order.
const ControlRow kMainIdRows[] = {
    {"RunSettings",  kButton,   1011, kDefaultButton, {150, 192, 64, 16},  "Run Settings",  0, &kNoItems, nullptr},
    {"DelayCpu",     kDropDown, 1015, kList,          {42, 109, 37, 49},   "",              0, &kDelays,  kDelay},
    {"DelayPci",     kDropDown, 1022, kList,          {42, 128, 37, 49},   "",              0, &kDelays,  kDelay},
    {"DelaySdram",   kDropDown, 1023, kList,          {42, 147, 37, 49},   "",              0, &kDelays,  kDelay},
    {"Delay3v66",    kDropDown, 1024, kList,          {42, 166, 37, 49},   "",              0, &kDelays,  kDelay},
    {"SpreadDepth",  kDropDown, 1025, kList,          {123, 121, 25, 69},  "",              0, &kDepths,  kSpread},
    {"SpreadModel",  kDropDown, 1026, kList,          {180, 121, 25, 49},  "",              0, &kModels,  kSpread},
    {"FreqEdit",     kEdit,     1012, kEditStyle,     {151, 152, 33, 12},  "",              0, &kNoItems, kClock},
    {"FreqSlider",   ControlKind::Trackbar, 1010, kSliderStyle, {94, 167, 114, 17}, "",     0, &kNoItems, kClock},
    {"LoadSettings", kButton,   1019, kStyleTabStop,  {7, 192, 64, 16},    "Load Settings", 0, &kNoItems, nullptr},
    {"SaveSettings", kButton,   1018, kStyleTabStop,  {79, 192, 64, 16},   "Save Settings", 0, &kNoItems, nullptr},
    {"Generator",    kEdit,     1005, kReadOnly,      {99, 12, 106, 12},   "",              0, &kNoItems, kProduct},
    {"CpuSpeed",     kEdit,     1006, kReadOnly,      {62, 43, 29, 12},    "",              0, &kNoItems, kSystem},
    {"SmType",       kEdit,     1007, kReadOnly,      {161, 43, 44, 12},   "",              0, &kNoItems, kSystem},
    {"CpuExtFreq",   kEdit,     1008, kReadOnly,      {62, 59, 29, 12},    "",              0, &kNoItems, kSystem},
    {"PciFreq",      kEdit,     1009, kReadOnly,      {161, 59, 29, 12},   "",              0, &kNoItems, kSystem},
    {"SdramFreq",    kEdit,     1013, kReadOnly,      {62, 75, 29, 12},    "",              0, &kNoItems, kSystem},
    {"Freq3v66",     kEdit,     1014, kReadOnly,      {161, 75, 29, 12},   "",              0, &kNoItems, kSystem},
    {"SpreadEnable", kCheck,    1021, kCheckStyle,    {100, 106, 108, 12}, "Enable Spread-Spectrum", 0, &kNoItems, kSpread},
};

// IDD_MAIN's group boxes and static items, in their order.
const ControlRow kMainStaticRows[] = {
    {"GroupProduct",    kGroup, kNone, kStyleLeftText, {7, 2, 207, 27},    kProduct,         0, &kNoItems, nullptr},
    {"GroupSystem",     kGroup, kNone, kStyleLeftText, {7, 32, 207, 60},   kSystem,          0, &kNoItems, nullptr},
    {"GroupDelay",      kGroup, kNone, kStyleLeftText, {7, 95, 78, 91},    kDelay,           0, &kNoItems, nullptr},
    {"GroupSpread",     kGroup, kNone, kStyleLeftText, {90, 95, 124, 43},  kSpread,          0, &kNoItems, nullptr},
    {"GroupClock",      kGroup, kNone, kStyleLeftText, {90, 140, 124, 46}, kClock,           0, &kNoItems, nullptr},
    {"LabelGenerator",  kLabel, kNone, kStyleLeftText, {13, 14, 78, 12},   "Present Clock Generator", 0, &kNoItems, kProduct},
    {"LabelCpuSpeed",   kLabel, kNone, kStyleLeftText, {13, 45, 46, 10},   "CPU Speed",      0, &kNoItems, kSystem},
    {"LabelSmType",     kLabel, kNone, kStyleLeftText, {123, 45, 30, 10},  "SM Type",        0, &kNoItems, kSystem},
    {"LabelCpuExtFreq", kLabel, kNone, kStyleLeftText, {13, 61, 46, 10},   "CPU Ext. Freq.", 0, &kNoItems, kSystem},
    {"LabelPciFreq",    kLabel, kNone, kStyleLeftText, {123, 61, 30, 10},  "PCI Freq.",      0, &kNoItems, kSystem},
    {"LabelSdramFreq",  kLabel, kNone, kStyleLeftText, {13, 77, 43, 10},   "SDRAM Freq.",    0, &kNoItems, kSystem},
    {"Label3v66Freq",   kLabel, kNone, kStyleLeftText, {123, 77, 35, 10},  "3V66 Freq.",     0, &kNoItems, kSystem},
    {"MhzCpuSpeed",     kLabel, kNone, kStyleLeftText, {94, 45, 14, 10},   "MHz",            0, &kNoItems, kSystem},
    {"MhzCpuExt",       kLabel, kNone, kStyleLeftText, {94, 61, 14, 10},   "MHz",            0, &kNoItems, kSystem},
    {"MhzPci",          kLabel, kNone, kStyleLeftText, {193, 61, 14, 10},  "MHz",            0, &kNoItems, kSystem},
    {"MhzSdram",        kLabel, kNone, kStyleLeftText, {94, 77, 14, 10},   "MHz",            0, &kNoItems, kSystem},
    {"Mhz3v66",         kLabel, kNone, kStyleLeftText, {193, 77, 14, 10},  "MHz",            0, &kNoItems, kSystem},
    {"LabelDelayCpu",   kLabel, kNone, kStyleLeftText, {13, 111, 28, 8},   "CPU Ext.",       0, &kNoItems, kDelay},
    {"LabelDelayPci",   kLabel, kNone, kStyleLeftText, {13, 130, 28, 8},   "PCI",            0, &kNoItems, kDelay},
    {"LabelDelaySdram", kLabel, kNone, kStyleLeftText, {13, 150, 28, 8},   "SDRAM",          0, &kNoItems, kDelay},
    {"LabelDelay3v66",  kLabel, kNone, kStyleLeftText, {13, 168, 28, 8},   "3V66",           0, &kNoItems, kDelay},
    {"LabelDepth",      kLabel, kNone, kStyleLeftText, {100, 123, 20, 8},  "Depth",          0, &kNoItems, kSpread},
    {"LabelModel",      kLabel, kNone, kStyleLeftText, {157, 123, 20, 8},  "Model",          0, &kNoItems, kSpread},
    {"LabelTarget",     kLabel, kNone, kStyleLeftText, {100, 154, 46, 10}, "CPU Ext. Freq.", 0, &kNoItems, kClock},
    {"MhzTarget",       kLabel, kNone, kStyleLeftText, {188, 154, 14, 10}, "MHz",            0, &kNoItems, kClock},
    {"MainIcon",        kIcon,  kNone, 0,              {13, 214, 20, 20},  "",             128, &kNoItems, nullptr},
    {"VersionLine",     kLabel, kNone, kStyleLeftText, {39, 214, 165, 9},
     "Vantrel  Version 2.01  for  Windows 95/98 Platforms", 0, &kNoItems, nullptr},
};

// IDD_CAUTION's controls, in template order.
const ControlRow kCautionRows[] = {
    {"Ok",          kButton, 1,     kDefaultButton,      {145, 87, 35, 13}, "OK", 0, &kNoItems, nullptr},
    {"DontShow",    kCheck,  1016,  kCheckStyle,         {7, 89, 136, 10},  "Don't show this message next time.", 0, &kNoItems, nullptr},
    {"FirstText",   kLabel,  kNone, kParagraph,          {16, 30, 159, 27},
     "Excuting Vantrel utility program may cause system hang due to the compatibility issues with system device/peripherals. ",
     0, &kNoItems, kFrame},
    {"SecondText",  kLabel,  kNone, kParagraph,          {16, 61, 159, 16},
     "Please turn off power and restart system. You will be held liable for any data losses or damages.",
     0, &kNoItems, kFrame},
    {"Frame",       kGroup,  kNone, kStyleLeftText,      {7, 9, 173, 75},   kFrame, 0, &kNoItems, nullptr},
    {"CautionIcon", kIcon,   kNone, kStyleRealSizeImage, {16, 5, 20, 20},   "", 139, &kNoItems, nullptr},
};

// clang-format on

std::vector<const ControlTemplate*> controls_where(const DialogTemplate& dialog, bool with_id) {
    std::vector<const ControlTemplate*> out;
    for (const ControlTemplate& control : dialog.controls) {
        if ((control.id != kIdStatic) == with_id) {
            out.push_back(&control);
        }
    }
    return out;
}

const ControlTemplate* group_box(const DialogTemplate& dialog, std::string_view caption) {
    for (const ControlTemplate& control : dialog.controls) {
        if (control.kind == ControlKind::GroupBox && control.text == caption) {
            return &control;
        }
    }
    return nullptr;
}

bool inside(const DialogRect& inner, const DialogRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// Compares the control at `index` of the ones picked from a template with a row.
void expect_control(const DialogTemplate& dialog, bool with_id, std::size_t index,
                    const ControlRow& row) {
    const std::vector<const ControlTemplate*> picked = controls_where(dialog, with_id);
    ASSERT_LT(index, picked.size());
    const ControlTemplate& control = *picked[index];
    EXPECT_EQ(control.kind, row.kind);
    EXPECT_EQ(control.id, row.id);
    EXPECT_EQ(control.style, row.style);
    EXPECT_EQ(control.rect.x, row.rect.x);
    EXPECT_EQ(control.rect.y, row.rect.y);
    EXPECT_EQ(control.rect.width, row.rect.width);
    EXPECT_EQ(control.rect.height, row.rect.height);
    EXPECT_EQ(control.text, row.text);
    if (row.kind == ControlKind::Icon) {
        EXPECT_EQ(control.icon_resource, row.icon);
    }
    EXPECT_EQ(Items(control.items.begin(), control.items.end()), *row.items);
    if (row.group != nullptr) {
        const ControlTemplate* group = group_box(dialog, row.group);
        ASSERT_NE(group, nullptr) << row.group;
        DialogRect shown = control.rect;
        if (row.kind == ControlKind::DropDownList) {
            shown.height = 0;  // its height is the dropped list, which may hang out of the group
        }
        EXPECT_TRUE(inside(shown, group->rect)) << "outside " << row.group;
    }
}

template <std::size_t N>
std::size_t index_of(const ControlRow (&rows)[N], const ControlRow& row) {
    for (std::size_t i = 0; i < N; ++i) {
        if (std::string_view(rows[i].label) == row.label) {
            return i;
        }
    }
    ADD_FAILURE() << "no row " << row.label;
    return N;
}

class MainWithId : public ::testing::TestWithParam<ControlRow> {};
TEST_P(MainWithId, MatchesItsRowInTabOrder) {
    expect_control(kMainDialog, true, index_of(kMainIdRows, GetParam()), GetParam());
}
INSTANTIATE_TEST_SUITE_P(Controls, MainWithId, ::testing::ValuesIn(kMainIdRows), test::ByLabel());

class MainStatic : public ::testing::TestWithParam<ControlRow> {};
TEST_P(MainStatic, MatchesItsRowInOrder) {
    expect_control(kMainDialog, false, index_of(kMainStaticRows, GetParam()), GetParam());
}
INSTANTIATE_TEST_SUITE_P(Controls, MainStatic, ::testing::ValuesIn(kMainStaticRows),
                         test::ByLabel());

class Caution : public ::testing::TestWithParam<ControlRow> {};
TEST_P(Caution, MatchesItsRowInOrder) {
    // The notice's controls with and without IDs make one order; find this row's place among
    // the controls of its own sort.
    const std::size_t position = index_of(kCautionRows, GetParam());
    const bool with_id = GetParam().id != kIdStatic;
    std::size_t index = 0;
    for (std::size_t i = 0; i < position; ++i) {
        index += (kCautionRows[i].id != kIdStatic) == with_id ? 1 : 0;
    }
    ASSERT_LT(position, kCautionDialog.controls.size());
    EXPECT_EQ(kCautionDialog.controls[position].id, GetParam().id);
    expect_control(kCautionDialog, with_id, index, GetParam());
}
INSTANTIATE_TEST_SUITE_P(Controls, Caution, ::testing::ValuesIn(kCautionRows), test::ByLabel());

TEST(MainDialogTemplate, NoControlBeyondTheRows) {
    // The rows above and the maker's legal notice, which is the last static item.
    EXPECT_EQ(controls_where(kMainDialog, true).size(), std::size(kMainIdRows));
    EXPECT_EQ(controls_where(kMainDialog, false).size(), std::size(kMainStaticRows) + 1);
    EXPECT_EQ(kCautionDialog.controls.size(), std::size(kCautionRows));
}

TEST(MainDialogTemplate, LegalNoticeIsOneLineUnderTheVersion) {
    const ControlTemplate& notice = kMainDialog.controls.back();
    EXPECT_EQ(notice.kind, ControlKind::Label);
    EXPECT_EQ(notice.style, kStyleLeftText);
    EXPECT_EQ(notice.rect.x, 39);
    EXPECT_EQ(notice.rect.y, 223);
    EXPECT_EQ(notice.rect.width, 159);
    EXPECT_EQ(notice.rect.height, 10);
    EXPECT_FALSE(notice.text.empty());
    EXPECT_EQ(notice.text.find('\n'), std::string_view::npos);
    EXPECT_NE(notice.text.find(kCompanyName), std::string_view::npos);
}

struct DialogRow {
    const char* label;
    const DialogTemplate* dialog;
    int id;
    std::uint32_t style;
    int width;
    int height;
    std::string_view caption;
};

class Dialogs : public ::testing::TestWithParam<DialogRow> {};

TEST_P(Dialogs, FrameSizeCaptionAndFont) {
    const DialogRow& row = GetParam();
    EXPECT_EQ(row.dialog->id, row.id);
    EXPECT_EQ(row.dialog->style, row.style);
    EXPECT_EQ(row.dialog->width, row.width);
    EXPECT_EQ(row.dialog->height, row.height);
    EXPECT_EQ(row.dialog->caption, row.caption);
    EXPECT_EQ(row.dialog->font_face, "Arial");
    EXPECT_EQ(row.dialog->font_points, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, Dialogs,
    ::testing::Values(
        DialogRow{"Main", &kMainDialog, 102,
                  kDialogPopup | kDialogCaption | kDialogSystemMenu | kDialogMinimizeBox |
                      kDialogModalFrame | kDialog3dLook | kDialogSetForeground | kDialogAppWindow,
                  221, 238, "Vantrel for VXC812-07 Clock Generator"},
        // No title bar, so no caption, close box or minimise box.
        DialogRow{"Caution", &kCautionDialog, 137, kDialogPopup | kDialogModalFrame, 187, 104, ""}),
    test::ByLabel());

TEST(VersionBlock, NumbersLanguageAndDescription) {
    EXPECT_EQ(kFileVersion.major, 2);
    EXPECT_EQ(kFileVersion.minor, 0);
    EXPECT_EQ(kFileVersion.patch, 0);
    EXPECT_EQ(kFileVersion.build, 1);
    EXPECT_EQ(kProductVersion.major, 2);
    EXPECT_EQ(kProductVersion.minor, 0);
    EXPECT_EQ(kProductVersion.patch, 0);
    EXPECT_EQ(kProductVersion.build, 1);
    EXPECT_EQ(kVersionString, "2.01");
    EXPECT_EQ(kVersionLanguage, 0x0409);
    EXPECT_EQ(kVersionCodePage, 1200);
    EXPECT_EQ(kFileDescription, "Vantrel for VXC812-07 Clock Generator");
    EXPECT_EQ(kFileDescription, kMainDialog.caption);
}

TEST(VersionBlock, MakerEntriesCarryTheMakersName) {
    EXPECT_FALSE(kCompanyName.empty());
    EXPECT_NE(kLegalCopyright.find(kCompanyName), std::string_view::npos);
    EXPECT_NE(kLegalTrademarks.find(kCompanyName), std::string_view::npos);
}

}  // namespace
}  // namespace vantrel::res
