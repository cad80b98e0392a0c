// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "res/dialog_templates.h"

// The dialogs of res/ as the in-memory DLGTEMPLATE that DialogBoxIndirectParamA takes: the same
// bytes a resource compiler would produce from a script. This file does without the Win32
// headers so that the layout can be tested anywhere; the Windows build checks every constant
// below against those headers.

namespace vantrel::win32 {

// Win32 style bits, by their header names in the program's style, and their values.
namespace winapi {

inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsVscroll = 0x00200000;
inline constexpr std::uint32_t kWsSysmenu = 0x00080000;
inline constexpr std::uint32_t kWsGroup = 0x00020000;
inline constexpr std::uint32_t kWsMinimizebox = 0x00020000;
inline constexpr std::uint32_t kWsTabstop = 0x00010000;
inline constexpr std::uint32_t kWsExAppwindow = 0x00040000;

inline constexpr std::uint32_t kDs3dLook = 0x0004;
inline constexpr std::uint32_t kDsSetfont = 0x0040;
inline constexpr std::uint32_t kDsModalframe = 0x0080;
inline constexpr std::uint32_t kDsSetforeground = 0x0200;

inline constexpr std::uint32_t kBsPushbutton = 0x0000;
inline constexpr std::uint32_t kBsDefpushbutton = 0x0001;
inline constexpr std::uint32_t kBsCheckbox = 0x0002;
inline constexpr std::uint32_t kBsAutocheckbox = 0x0003;
inline constexpr std::uint32_t kBsGroupbox = 0x0007;
inline constexpr std::uint32_t kBsLeft = 0x0100;

inline constexpr std::uint32_t kEsLeft = 0x0000;
inline constexpr std::uint32_t kEsAutohscroll = 0x0080;
inline constexpr std::uint32_t kEsReadonly = 0x0800;
inline constexpr std::uint32_t kEsNumber = 0x2000;

inline constexpr std::uint32_t kCbsDropdownlist = 0x0003;
inline constexpr std::uint32_t kCbsSort = 0x0100;

inline constexpr std::uint32_t kSsLeft = 0x0000;
inline constexpr std::uint32_t kSsIcon = 0x0003;
inline constexpr std::uint32_t kSsRealsizeimage = 0x0800;

inline constexpr std::uint32_t kTbsAutoticks = 0x0001;
inline constexpr std::uint32_t kTbsVert = 0x0002;
inline constexpr std::uint32_t kTbsHorz = 0x0000;

// The predefined window classes a template names by atom.
inline constexpr std::uint16_t kButtonAtom = 0x0080;
inline constexpr std::uint16_t kEditAtom = 0x0081;
inline constexpr std::uint16_t kStaticAtom = 0x0082;
inline constexpr std::uint16_t kComboBoxAtom = 0x0085;
inline constexpr char kTrackbarClass[] = "msctls_trackbar32";  // TRACKBAR_CLASSA

}  // namespace winapi

// A window's style and extended style.
struct WindowStyles {
    std::uint32_t style;
    std::uint32_t ex_style;
    // The res/ style bits this kind of window has no Win32 meaning for; a template with any of
    // them is wrong.
    std::uint32_t unmapped;

    bool operator==(const WindowStyles&) const = default;
};

namespace detail {

// The bits each kind takes, mapped one by one; anything left over is reported as unmapped.
struct StyleMapper {
    std::uint32_t remaining;
    std::uint32_t style = 0;

    constexpr void map(std::uint32_t res_bit, std::uint32_t win32_bits) {
        if ((remaining & res_bit) != 0) {
            style |= win32_bits;
            remaining &= ~res_bit;
        }
    }
};

}  // namespace detail

// Every control is a visible child window; the rest follows its kind and res/ style bits.
constexpr WindowStyles control_styles(const res::ControlTemplate& control) {
    detail::StyleMapper m{control.style, winapi::kWsChild | winapi::kWsVisible};
    m.map(res::kStyleTabStop, winapi::kWsTabstop);
    m.map(res::kStyleGroupStart, winapi::kWsGroup);
    switch (control.kind) {
        case res::ControlKind::PushButton:
            m.style |= (control.style & res::kStyleDefaultButton) != 0 ? winapi::kBsDefpushbutton
                                                                       : winapi::kBsPushbutton;
            m.remaining &= ~res::kStyleDefaultButton;
            break;
        case res::ControlKind::DropDownList:
            m.style |= winapi::kCbsDropdownlist;
            if ((control.style & res::kStyleUnsorted) == 0) {
                m.style |= winapi::kCbsSort;
            }
            m.remaining &= ~res::kStyleUnsorted;
            m.map(res::kStyleVScroll, winapi::kWsVscroll);
            break;
        case res::ControlKind::Edit:
            m.style |= winapi::kEsLeft;
            m.map(res::kStyleBorder, winapi::kWsBorder);
            m.map(res::kStyleReadOnly, winapi::kEsReadonly);
            m.map(res::kStyleDigitsOnly, winapi::kEsNumber);
            m.map(res::kStyleAutoHScroll, winapi::kEsAutohscroll);
            break;
        case res::ControlKind::Trackbar:
            m.style |=
                (control.style & res::kStyleHorizontal) != 0 ? winapi::kTbsHorz : winapi::kTbsVert;
            m.remaining &= ~res::kStyleHorizontal;
            m.map(res::kStyleAutoTicks, winapi::kTbsAutoticks);
            break;
        case res::ControlKind::CheckBox:
            m.style |= (control.style & res::kStyleAutoCheck) != 0 ? winapi::kBsAutocheckbox
                                                                   : winapi::kBsCheckbox;
            m.remaining &= ~res::kStyleAutoCheck;
            break;
        case res::ControlKind::GroupBox:
            m.style |= winapi::kBsGroupbox;
            m.map(res::kStyleLeftText, winapi::kBsLeft);
            break;
        case res::ControlKind::Label:
            m.map(res::kStyleLeftText, winapi::kSsLeft);
            break;
        case res::ControlKind::Icon:
            m.style |= winapi::kSsIcon;
            m.map(res::kStyleRealSizeImage, winapi::kSsRealsizeimage);
            break;
    }
    return {m.style, 0, m.remaining};
}

// The dialog's own window. `look_3d` adds the 3-D look to any dialog, as the framework's switch
// for 3-D controls does; a dialog that has it in its template keeps it either way.
constexpr WindowStyles dialog_styles(const res::DialogTemplate& dialog, bool look_3d) {
    detail::StyleMapper m{dialog.style, dialog.font_face.empty() ? 0u : winapi::kDsSetfont};
    m.map(res::kDialogPopup, winapi::kWsPopup);
    m.map(res::kDialogCaption, winapi::kWsCaption);
    m.map(res::kDialogSystemMenu, winapi::kWsSysmenu);
    m.map(res::kDialogMinimizeBox, winapi::kWsMinimizebox);
    m.map(res::kDialogModalFrame, winapi::kDsModalframe);
    m.map(res::kDialog3dLook, winapi::kDs3dLook);
    m.map(res::kDialogSetForeground, winapi::kDsSetforeground);
    std::uint32_t ex_style = 0;
    if ((m.remaining & res::kDialogAppWindow) != 0) {
        ex_style |= winapi::kWsExAppwindow;
        m.remaining &= ~res::kDialogAppWindow;
    }
    if (look_3d) {
        m.style |= winapi::kDs3dLook;
    }
    return {m.style, ex_style, m.remaining};
}

// The whole template: DLGTEMPLATE, the font, then one DLGITEMTEMPLATE per control in template
// order, each on a 4-byte boundary. Texts are UTF-16; an icon control names its icon resource
// by ordinal. The dialog sits at 0, 0: it is placed when it opens. The words are in the
// machine's byte order, which on x86 is the little-endian order Windows reads.
std::vector<std::uint16_t> build_dialog_template(const res::DialogTemplate& dialog, bool look_3d);

}  // namespace vantrel::win32
