// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "res/resource_ids.h"

// The two dialog templates as data: every control with its kind, style, place, size, text and
// list items. Both front ends build their windows from these tables, and the dialog logic's
// tests build their fake controls from them, so there is one description of each window.

namespace vantrel::res {

enum class ControlKind : std::uint8_t {
    PushButton,
    DropDownList,  // a combo box without an edit field
    Edit,
    Trackbar,
    CheckBox,
    GroupBox,
    Label,  // static text
    Icon,   // static icon
};

// Control styles, named for what they do rather than by any toolkit's constants.
inline constexpr std::uint32_t kStyleTabStop = 1u << 0;
inline constexpr std::uint32_t kStyleGroupStart = 1u << 1;
inline constexpr std::uint32_t kStyleDefaultButton = 1u << 2;
inline constexpr std::uint32_t kStyleBorder = 1u << 3;
inline constexpr std::uint32_t kStyleReadOnly = 1u << 4;
inline constexpr std::uint32_t kStyleDigitsOnly = 1u << 5;
inline constexpr std::uint32_t kStyleAutoHScroll = 1u << 6;
inline constexpr std::uint32_t kStyleVScroll = 1u << 7;
inline constexpr std::uint32_t kStyleUnsorted = 1u << 8;
inline constexpr std::uint32_t kStyleAutoCheck = 1u << 9;    // toggles itself, two states
inline constexpr std::uint32_t kStyleHorizontal = 1u << 10;  // trackbar orientation
inline constexpr std::uint32_t kStyleAutoTicks = 1u << 11;
inline constexpr std::uint32_t kStyleLeftText = 1u << 12;
inline constexpr std::uint32_t kStyleRealSizeImage = 1u << 13;  // an icon shown at its own size

// Dialog styles.
inline constexpr std::uint32_t kDialogPopup = 1u << 0;
inline constexpr std::uint32_t kDialogCaption = 1u << 1;
inline constexpr std::uint32_t kDialogSystemMenu = 1u << 2;
inline constexpr std::uint32_t kDialogMinimizeBox = 1u << 3;
inline constexpr std::uint32_t kDialogModalFrame = 1u << 4;
inline constexpr std::uint32_t kDialog3dLook = 1u << 5;
inline constexpr std::uint32_t kDialogSetForeground = 1u << 6;
inline constexpr std::uint32_t kDialogAppWindow = 1u << 7;  // a taskbar button of its own

// Positions and sizes in dialog units. For a drop-down list the height is that of the dropped
// list.
struct DialogRect {
    int x;
    int y;
    int width;
    int height;
};

struct ControlTemplate {
    ControlKind kind;
    int id;  // kIdStatic for controls the logic never addresses
    std::uint32_t style;
    DialogRect rect;
    std::string_view text;
    int icon_resource;                        // Icon only
    std::span<const std::string_view> items;  // DropDownList only, added in this order
};

struct DialogTemplate {
    int id;
    std::uint32_t style;
    int width;
    int height;
    std::string_view caption;  // empty for a dialog without a title bar
    std::string_view font_face;
    int font_points;
    std::span<const ControlTemplate> controls;  // template order, which is also the tab order
};

// The list items of IDD_MAIN. No list is sorted, so an item's index is the code it stands for.
inline constexpr std::string_view kGroupDelayItems[] = {"None", "150ps", "300ps", "450ps"};
inline constexpr std::string_view kSpreadDepthItems[] = {"0", "1", "2", "3", "4", "5",
                                                         "6", "7", "8", "9", "10"};
inline constexpr std::string_view kSpreadModelItems[] = {"0", "1", "2", "3", "4", "5", "6", "7"};

namespace detail {

constexpr std::uint32_t kListStyle = kStyleVScroll | kStyleUnsorted | kStyleTabStop;
constexpr std::uint32_t kReadOnlyEditStyle = kStyleBorder | kStyleAutoHScroll | kStyleReadOnly;

constexpr ControlTemplate button(int id, std::string_view text, DialogRect rect,
                                 std::uint32_t extra = 0) {
    return {ControlKind::PushButton, id, kStyleTabStop | extra, rect, text, 0, {}};
}
constexpr ControlTemplate list(int id, DialogRect rect, std::span<const std::string_view> items) {
    return {ControlKind::DropDownList, id, kListStyle, rect, {}, 0, items};
}
constexpr ControlTemplate edit(int id, std::uint32_t style, DialogRect rect) {
    return {ControlKind::Edit, id, style, rect, {}, 0, {}};
}
constexpr ControlTemplate read_only_edit(int id, DialogRect rect) {
    return edit(id, kReadOnlyEditStyle, rect);
}
constexpr ControlTemplate trackbar(int id, std::uint32_t style, DialogRect rect) {
    return {ControlKind::Trackbar, id, style, rect, {}, 0, {}};
}
constexpr ControlTemplate check_box(int id, std::string_view text, DialogRect rect) {
    return {ControlKind::CheckBox, id, kStyleAutoCheck | kStyleTabStop, rect, text, 0, {}};
}
constexpr ControlTemplate group_box(std::string_view text, DialogRect rect) {
    return {ControlKind::GroupBox, kIdStatic, kStyleLeftText, rect, text, 0, {}};
}
constexpr ControlTemplate label(std::string_view text, DialogRect rect, std::uint32_t extra = 0) {
    return {ControlKind::Label, kIdStatic, kStyleLeftText | extra, rect, text, 0, {}};
}
constexpr ControlTemplate icon(int resource, DialogRect rect, std::uint32_t extra = 0) {
    return {ControlKind::Icon, kIdStatic, extra, rect, {}, resource, {}};
}

}  // namespace detail

inline constexpr std::string_view kMainDialogTitle = "Vantrel for VXC812-07 Clock Generator";
inline constexpr std::string_view kVersionLine =
    "Vantrel  Version 2.01  for  Windows 95/98 Platforms";
// The same line in the Linux window, on this machine and on a simulated board.
inline constexpr std::string_view kLinuxVersionLine = "Vantrel  Version 2.01  for  Linux";
inline constexpr std::string_view kLinuxSimulatedVersionLine =
    "Vantrel  Version 2.01  for  Linux  (simulated board)";
// One line of 159 dialog units: in Arial 9 pt a longer notice would wrap out of its place.
inline constexpr std::string_view kLegalNotice = "Copyright (C) 2001 Korvane Corporation.";

inline constexpr ControlTemplate kMainDialogControls[] = {
    // The controls with IDs, in tab order.
    detail::button(IDC_RUN_SETTINGS, "Run Settings", {150, 192, 64, 16}, kStyleDefaultButton),
    detail::list(IDC_DELAY_CPU, {42, 109, 37, 49}, kGroupDelayItems),
    detail::list(IDC_DELAY_PCI, {42, 128, 37, 49}, kGroupDelayItems),
    detail::list(IDC_DELAY_SDRAM, {42, 147, 37, 49}, kGroupDelayItems),
    detail::list(IDC_DELAY_3V66, {42, 166, 37, 49}, kGroupDelayItems),
    detail::list(IDC_SPREAD_DEPTH, {123, 121, 25, 69}, kSpreadDepthItems),
    detail::list(IDC_SPREAD_MODEL, {180, 121, 25, 49}, kSpreadModelItems),
    detail::edit(IDC_FREQ_EDIT, kStyleBorder | kStyleDigitsOnly | kStyleAutoHScroll | kStyleTabStop,
                 {151, 152, 33, 12}),
    detail::trackbar(IDC_FREQ_SLIDER, kStyleHorizontal | kStyleAutoTicks | kStyleTabStop,
                     {94, 167, 114, 17}),
    detail::button(IDC_LOAD_SETTINGS, "Load Settings", {7, 192, 64, 16}),
    detail::button(IDC_SAVE_SETTINGS, "Save Settings", {79, 192, 64, 16}),
    detail::read_only_edit(IDC_GENERATOR, {99, 12, 106, 12}),
    detail::read_only_edit(IDC_CPU_SPEED, {62, 43, 29, 12}),
    detail::read_only_edit(IDC_SM_TYPE, {161, 43, 44, 12}),
    detail::read_only_edit(IDC_CPU_EXT_FREQ, {62, 59, 29, 12}),
    detail::read_only_edit(IDC_PCI_FREQ, {161, 59, 29, 12}),
    detail::read_only_edit(IDC_SDRAM_FREQ, {62, 75, 29, 12}),
    detail::read_only_edit(IDC_3V66_FREQ, {161, 75, 29, 12}),
    detail::check_box(IDC_SPREAD_ENABLE, "Enable Spread-Spectrum", {100, 106, 108, 12}),
    // Group boxes and static items.
    detail::group_box("Product Information", {7, 2, 207, 27}),
    detail::group_box("System Information", {7, 32, 207, 60}),
    detail::group_box("Group Delay Setting", {7, 95, 78, 91}),
    detail::group_box("Spread-Spectrum Setting", {90, 95, 124, 43}),
    detail::group_box("Clock Speed Setting", {90, 140, 124, 46}),
    detail::label("Present Clock Generator", {13, 14, 78, 12}),
    detail::label("CPU Speed", {13, 45, 46, 10}),
    detail::label("SM Type", {123, 45, 30, 10}),
    detail::label("CPU Ext. Freq.", {13, 61, 46, 10}),
    detail::label("PCI Freq.", {123, 61, 30, 10}),
    detail::label("SDRAM Freq.", {13, 77, 43, 10}),
    detail::label("3V66 Freq.", {123, 77, 35, 10}),
    detail::label("MHz", {94, 45, 14, 10}),
    detail::label("MHz", {94, 61, 14, 10}),
    detail::label("MHz", {193, 61, 14, 10}),
    detail::label("MHz", {94, 77, 14, 10}),
    detail::label("MHz", {193, 77, 14, 10}),
    detail::label("CPU Ext.", {13, 111, 28, 8}),
    detail::label("PCI", {13, 130, 28, 8}),
    detail::label("SDRAM", {13, 150, 28, 8}),
    detail::label("3V66", {13, 168, 28, 8}),
    detail::label("Depth", {100, 123, 20, 8}),
    detail::label("Model", {157, 123, 20, 8}),
    detail::label("CPU Ext. Freq.", {100, 154, 46, 10}),
    detail::label("MHz", {188, 154, 14, 10}),
    detail::icon(IDR_MAINFRAME, {13, 214, 20, 20}),
    detail::label(kVersionLine, {39, 214, 165, 9}),
    detail::label(kLegalNotice, {39, 223, 159, 10}),
};

inline constexpr DialogTemplate kMainDialog = {
    IDD_MAIN,
    kDialogPopup | kDialogCaption | kDialogSystemMenu | kDialogMinimizeBox | kDialogModalFrame |
        kDialog3dLook | kDialogSetForeground | kDialogAppWindow,
    221,
    238,
    kMainDialogTitle,
    "Arial",
    9,
    kMainDialogControls,
};

inline constexpr ControlTemplate kCautionDialogControls[] = {
    detail::button(kIdOk, "OK", {145, 87, 35, 13}, kStyleDefaultButton),
    detail::check_box(IDC_DONT_SHOW, "Don't show this message next time.", {7, 89, 136, 10}),
    detail::label("Excuting Vantrel utility program may cause system hang due to the "
                  "compatibility issues with system device/peripherals. ",
                  {16, 30, 159, 27}, kStyleGroupStart),
    detail::label("Please turn off power and restart system. You will be held liable for any "
                  "data losses or damages.",
                  {16, 61, 159, 16}, kStyleGroupStart),
    detail::group_box("                  FOR LABORATORY USE ONLY  ! ", {7, 9, 173, 75}),
    detail::icon(IDI_CAUTION, {16, 5, 20, 20}, kStyleRealSizeImage),
};

inline constexpr DialogTemplate kCautionDialog = {
    IDD_CAUTION, kDialogPopup | kDialogModalFrame, 187, 104, {}, "Arial", 9, kCautionDialogControls,
};

// Finds a control of a template by ID; nullptr when it has none.
constexpr const ControlTemplate* find_control(const DialogTemplate& dialog, int id) {
    for (const auto& control : dialog.controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

}  // namespace vantrel::res
