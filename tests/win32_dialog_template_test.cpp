// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "support/param_name.h"

namespace vantrel::win32 {
namespace {

// Win32 values written out as the SDK headers define them, independent of the code under test.
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
constexpr std::uint32_t DS_3DLOOK = 0x04;
constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_MODALFRAME = 0x80;
constexpr std::uint32_t DS_SETFOREGROUND = 0x200;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x01;
constexpr std::uint32_t BS_CHECKBOX = 0x02;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x03;
constexpr std::uint32_t BS_GROUPBOX = 0x07;
constexpr std::uint32_t BS_LEFT = 0x100;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
constexpr std::uint32_t ES_READONLY = 0x800;
constexpr std::uint32_t ES_NUMBER = 0x2000;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x03;
constexpr std::uint32_t CBS_SORT = 0x100;
constexpr std::uint32_t SS_ICON = 0x03;
constexpr std::uint32_t SS_REALSIZEIMAGE = 0x800;
constexpr std::uint32_t TBS_AUTOTICKS = 0x01;
constexpr std::uint32_t TBS_VERT = 0x02;

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

// A DLGTEMPLATE read back the way the dialog manager reads it.
struct Item {
    std::size_t offset;  // in words from the start of the template
    std::uint32_t style;
    std::uint32_t ex_style;
    res::DialogRect rect;
    std::uint16_t id;
    std::uint16_t class_atom;  // 0 when the class is named
    std::string class_name;
    std::uint16_t title_ordinal;  // 0 when the title is a text
    std::string title;
    std::uint16_t creation_data;
};

struct Parsed {
    std::uint32_t style;
    std::uint32_t ex_style;
    std::uint16_t count;
    res::DialogRect rect;
    std::uint16_t menu;
    std::uint16_t window_class;
    std::string title;
    std::uint16_t points;
    std::string font;
    std::vector<Item> items;
    bool consumed_exactly;
};

class Reader {
  public:
    explicit Reader(const std::vector<std::uint16_t>& words) : words_(words) {}

    std::uint16_t word() {
        if (at_ < words_.size()) {
            return words_[at_++];
        }
        overrun_ = true;
        return 0;
    }
    std::uint32_t dword() {
        const std::uint32_t low = word();
        return low | (std::uint32_t{word()} << 16);
    }
    int signed_word() { return static_cast<std::int16_t>(word()); }
    std::string text() {
        std::string out;
        for (std::uint16_t c = word(); c != 0 && !overrun_; c = word()) {
            out += c < 0x100 ? static_cast<char>(c) : '?';
        }
        return out;
    }
    // A class or title field: an ordinal after 0xFFFF, else a text.
    void ordinal_or_text(std::uint16_t& ordinal, std::string& text) {
        if (at_ < words_.size() && words_[at_] == 0xFFFF) {
            ++at_;
            ordinal = word();
        } else {
            ordinal = 0;
            text = this->text();
        }
    }
    void align_dword() {
        if (at_ % 2 != 0) {
            ++at_;
        }
    }
    std::size_t at() const { return at_; }
    bool at_end() const { return at_ == words_.size() && !overrun_; }

  private:
    const std::vector<std::uint16_t>& words_;
    std::size_t at_ = 0;
    bool overrun_ = false;
};

Parsed parse(const std::vector<std::uint16_t>& words) {
    Reader r(words);
    Parsed p{};
    p.style = r.dword();
    p.ex_style = r.dword();
    p.count = r.word();
    p.rect.x = r.signed_word();
    p.rect.y = r.signed_word();
    p.rect.width = r.signed_word();
    p.rect.height = r.signed_word();
    p.menu = r.word();
    p.window_class = r.word();
    p.title = r.text();
    if ((p.style & DS_SETFONT) != 0) {
        p.points = r.word();
        p.font = r.text();
    }
    for (unsigned i = 0; i < p.count; ++i) {
        r.align_dword();
        Item item{};
        item.offset = r.at();
        item.style = r.dword();
        item.ex_style = r.dword();
        item.rect.x = r.signed_word();
        item.rect.y = r.signed_word();
        item.rect.width = r.signed_word();
        item.rect.height = r.signed_word();
        item.id = r.word();
        r.ordinal_or_text(item.class_atom, item.class_name);
        r.ordinal_or_text(item.title_ordinal, item.title);
        item.creation_data = r.word();
        p.items.push_back(item);
    }
    p.consumed_exactly = r.at_end();
    return p;
}

// ---------------------------------------------------------------------------------------------

struct HeaderRow {
    const char* label;
    const res::DialogTemplate* dialog;
    bool look_3d;
    std::uint32_t style;
    std::uint32_t ex_style;
    int width;
    int height;
    const char* title;
};

const HeaderRow kHeaders[] = {
    {"main_dialog", &res::kMainDialog, false,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_3DLOOK |
         DS_SETFOREGROUND | DS_SETFONT,
     WS_EX_APPWINDOW, 221, 238, "Vantrel for VXC812-07 Clock Generator"},
    {"main_dialog_keeps_its_3d_look_either_way", &res::kMainDialog, true,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_3DLOOK |
         DS_SETFOREGROUND | DS_SETFONT,
     WS_EX_APPWINDOW, 221, 238, "Vantrel for VXC812-07 Clock Generator"},
    {"caution_notice_without_title_bar", &res::kCautionDialog, false,
     WS_POPUP | DS_MODALFRAME | DS_SETFONT, 0, 187, 104, ""},
    {"caution_notice_with_the_3d_switch", &res::kCautionDialog, true,
     WS_POPUP | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK, 0, 187, 104, ""},
};

class TemplateHeader : public ::testing::TestWithParam<HeaderRow> {};

TEST_P(TemplateHeader, StylesSizeTitleAndFont) {
    const HeaderRow& row = GetParam();
    const Parsed p = parse(build_dialog_template(*row.dialog, row.look_3d));
    EXPECT_EQ(p.style, row.style);
    EXPECT_EQ(p.ex_style, row.ex_style);
    EXPECT_EQ(p.rect.x, 0);
    EXPECT_EQ(p.rect.y, 0);
    EXPECT_EQ(p.rect.width, row.width);
    EXPECT_EQ(p.rect.height, row.height);
    EXPECT_EQ(p.menu, 0);
    EXPECT_EQ(p.window_class, 0);
    EXPECT_EQ(p.title, row.title);
    EXPECT_EQ(p.points, 9);
    EXPECT_EQ(p.font, "Arial");
    EXPECT_EQ(p.count, row.dialog->controls.size());
    EXPECT_TRUE(p.consumed_exactly);
}

INSTANTIATE_TEST_SUITE_P(Rows, TemplateHeader, ::testing::ValuesIn(kHeaders), test::ByLabel{});

// ---------------------------------------------------------------------------------------------

struct ItemRow {
    const char* label;
    const res::DialogTemplate* dialog;
    const char* title;  // finds the item by its text, or by its ID when empty
    int id;
    std::uint32_t style;
    res::DialogRect rect;
    std::uint16_t class_atom;
    const char* class_name;
    std::uint16_t icon;
};

const ItemRow kItems[] = {
    {"run_settings_is_the_default_button",
     &res::kMainDialog,
     "",
     IDC_RUN_SETTINGS,
     kChild | WS_TABSTOP | BS_DEFPUSHBUTTON,
     {150, 192, 64, 16},
     0x80,
     "",
     0},
    {"save_settings_is_a_plain_button",
     &res::kMainDialog,
     "",
     IDC_SAVE_SETTINGS,
     kChild | WS_TABSTOP,
     {79, 192, 64, 16},
     0x80,
     "",
     0},
    {"group_delay_list",
     &res::kMainDialog,
     "",
     IDC_DELAY_CPU,
     kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     {42, 109, 37, 49},
     0x85,
     "",
     0},
    {"depth_list",
     &res::kMainDialog,
     "",
     IDC_SPREAD_DEPTH,
     kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     {123, 121, 25, 69},
     0x85,
     "",
     0},
    {"frequency_box_takes_digits",
     &res::kMainDialog,
     "",
     IDC_FREQ_EDIT,
     kChild | WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL,
     {151, 152, 33, 12},
     0x81,
     "",
     0},
    {"read_only_field",
     &res::kMainDialog,
     "",
     IDC_CPU_SPEED,
     kChild | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL,
     {62, 43, 29, 12},
     0x81,
     "",
     0},
    {"slider_by_class_name",
     &res::kMainDialog,
     "",
     IDC_FREQ_SLIDER,
     kChild | WS_TABSTOP | TBS_AUTOTICKS,
     {94, 167, 114, 17},
     0,
     "msctls_trackbar32",
     0},
    {"spread_check_box",
     &res::kMainDialog,
     "",
     IDC_SPREAD_ENABLE,
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX,
     {100, 106, 108, 12},
     0x80,
     "",
     0},
    {"group_box",
     &res::kMainDialog,
     "Clock Speed Setting",
     -1,
     kChild | BS_GROUPBOX | BS_LEFT,
     {90, 140, 124, 46},
     0x80,
     "",
     0},
    {"label", &res::kMainDialog, "SM Type", -1, kChild, {123, 45, 30, 10}, 0x82, "", 0},
    {"main_icon_by_ordinal",
     &res::kMainDialog,
     "",
     -1,
     kChild | SS_ICON,
     {13, 214, 20, 20},
     0x82,
     "",
     IDR_MAINFRAME},
    {"notice_ok_button",
     &res::kCautionDialog,
     "",
     kIdOk,
     kChild | WS_TABSTOP | BS_DEFPUSHBUTTON,
     {145, 87, 35, 13},
     0x80,
     "",
     0},
    {"notice_check_box",
     &res::kCautionDialog,
     "",
     IDC_DONT_SHOW,
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX,
     {7, 89, 136, 10},
     0x80,
     "",
     0},
    {"notice_text_starts_a_group",
     &res::kCautionDialog,
     "Please turn off power and restart system. You will be held liable for any data losses or "
     "damages.",
     -1,
     kChild | WS_GROUP,
     {16, 61, 159, 16},
     0x82,
     "",
     0},
    {"notice_icon_at_its_own_size",
     &res::kCautionDialog,
     "",
     -1,
     kChild | SS_ICON | SS_REALSIZEIMAGE,
     {16, 5, 20, 20},
     0x82,
     "",
     IDI_CAUTION},
};

const Item* find_item(const Parsed& p, const ItemRow& row) {
    for (const Item& item : p.items) {
        const bool by_text = row.title[0] != '\0' && item.title == row.title;
        const bool by_id =
            row.title[0] == '\0' && row.id != -1 && item.id == static_cast<std::uint16_t>(row.id);
        const bool by_icon = row.icon != 0 && item.title_ordinal == row.icon;
        if (by_text || by_id || by_icon) {
            return &item;
        }
    }
    return nullptr;
}

class TemplateItem : public ::testing::TestWithParam<ItemRow> {};

TEST_P(TemplateItem, StyleClassPlaceAndText) {
    const ItemRow& row = GetParam();
    const Parsed p = parse(build_dialog_template(*row.dialog, false));
    const Item* item = find_item(p, row);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->style, row.style);
    EXPECT_EQ(item->ex_style, 0u);
    EXPECT_EQ(item->rect.x, row.rect.x);
    EXPECT_EQ(item->rect.y, row.rect.y);
    EXPECT_EQ(item->rect.width, row.rect.width);
    EXPECT_EQ(item->rect.height, row.rect.height);
    EXPECT_EQ(item->id, static_cast<std::uint16_t>(row.id));
    EXPECT_EQ(item->class_atom, row.class_atom);
    EXPECT_EQ(item->class_name, row.class_name);
    EXPECT_EQ(item->title_ordinal, row.icon);
    EXPECT_EQ(item->creation_data, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, TemplateItem, ::testing::ValuesIn(kItems), test::ByLabel{});

// ---------------------------------------------------------------------------------------------

struct DialogRow {
    const char* label;
    const res::DialogTemplate* dialog;
};

const DialogRow kDialogs[] = {{"main_dialog", &res::kMainDialog},
                              {"caution_notice", &res::kCautionDialog}};

class TemplateOrder : public ::testing::TestWithParam<DialogRow> {};

// Every control of res/, in template order (the tab order), each on a 4-byte boundary.
TEST_P(TemplateOrder, EveryControlInOrderAligned) {
    const res::DialogTemplate& dialog = *GetParam().dialog;
    const Parsed p = parse(build_dialog_template(dialog, false));
    ASSERT_EQ(p.items.size(), dialog.controls.size());
    for (std::size_t i = 0; i < p.items.size(); ++i) {
        const Item& item = p.items[i];
        const res::ControlTemplate& control = dialog.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(item.offset % 2, 0u);
        EXPECT_EQ(item.id, static_cast<std::uint16_t>(control.id));
        EXPECT_EQ(item.rect.x, control.rect.x);
        EXPECT_EQ(item.rect.y, control.rect.y);
        EXPECT_EQ(item.rect.width, control.rect.width);
        EXPECT_EQ(item.rect.height, control.rect.height);
        if (control.kind == res::ControlKind::Icon) {
            EXPECT_EQ(item.title_ordinal, control.icon_resource);
        } else {
            EXPECT_EQ(item.title, control.text);
        }
        EXPECT_EQ(item.style & kChild, kChild);
    }
    EXPECT_TRUE(p.consumed_exactly);
}

INSTANTIATE_TEST_SUITE_P(Rows, TemplateOrder, ::testing::ValuesIn(kDialogs), test::ByLabel{});

// ---------------------------------------------------------------------------------------------

struct StyleRow {
    const char* label;
    res::ControlTemplate control;
    std::uint32_t style;
    std::uint32_t unmapped;
};

constexpr res::ControlTemplate control(res::ControlKind kind, std::uint32_t style) {
    return {kind, 1, style, {0, 0, 1, 1}, {}, 0, {}};
}

const StyleRow kStyles[] = {
    {"sorted_list_without_the_unsorted_bit", control(res::ControlKind::DropDownList, 0),
     kChild | CBS_DROPDOWNLIST | CBS_SORT, 0},
    {"vertical_trackbar", control(res::ControlKind::Trackbar, res::kStyleAutoTicks),
     kChild | TBS_VERT | TBS_AUTOTICKS, 0},
    {"check_box_that_does_not_toggle_itself", control(res::ControlKind::CheckBox, 0),
     kChild | BS_CHECKBOX, 0},
    {"label_starting_a_group",
     control(res::ControlKind::Label, res::kStyleLeftText | res::kStyleGroupStart),
     kChild | WS_GROUP, 0},
    {"border_on_a_push_button_has_no_meaning",
     control(res::ControlKind::PushButton, res::kStyleBorder | res::kStyleTabStop),
     kChild | WS_TABSTOP, res::kStyleBorder},
    {"digits_only_on_a_label_has_no_meaning",
     control(res::ControlKind::Label, res::kStyleDigitsOnly), kChild, res::kStyleDigitsOnly},
    {"real_size_on_a_list_has_no_meaning",
     control(res::ControlKind::DropDownList, res::kStyleUnsorted | res::kStyleRealSizeImage),
     kChild | CBS_DROPDOWNLIST, res::kStyleRealSizeImage},
};

class ControlStyleMapping : public ::testing::TestWithParam<StyleRow> {};

TEST_P(ControlStyleMapping, MapsWhatTheKindTakesAndReportsTheRest) {
    const StyleRow& row = GetParam();
    const WindowStyles styles = control_styles(row.control);
    EXPECT_EQ(styles.style, row.style);
    EXPECT_EQ(styles.ex_style, 0u);
    EXPECT_EQ(styles.unmapped, row.unmapped);
}

INSTANTIATE_TEST_SUITE_P(Rows, ControlStyleMapping, ::testing::ValuesIn(kStyles), test::ByLabel{});

TEST(DialogStyleMapping, AnUnknownDialogBitIsReported) {
    res::DialogTemplate dialog = res::kCautionDialog;
    dialog.style |= 1u << 20;
    EXPECT_EQ(dialog_styles(dialog, false).unmapped, 1u << 20);
    EXPECT_EQ(dialog_styles(res::kMainDialog, false).unmapped, 0u);
}

}  // namespace
}  // namespace vantrel::win32
