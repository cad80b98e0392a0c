// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/dialog_template.h"

#include <string_view>

namespace vantrel::win32 {

namespace {

using namespace winapi;

constexpr std::uint16_t kOrdinalMarker = 0xFFFF;

class TemplateWriter {
  public:
    void word(std::uint16_t value) { words_.push_back(value); }
    void dword(std::uint32_t value) {
        word(static_cast<std::uint16_t>(value & 0xFFFF));
        word(static_cast<std::uint16_t>(value >> 16));
    }
    void signed_word(int value) {
        word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    // Latin-1 text widened to UTF-16, with its terminating zero.
    void text(std::string_view text) {
        for (const char c : text) {
            word(static_cast<unsigned char>(c));
        }
        word(0);
    }
    void ordinal(std::uint16_t value) {
        word(kOrdinalMarker);
        word(value);
    }
    void align_dword() {
        if (words_.size() % 2 != 0) {
            word(0);
        }
    }
    std::vector<std::uint16_t> take() { return std::move(words_); }

  private:
    std::vector<std::uint16_t> words_;
};

}  // namespace

std::vector<std::uint16_t> build_dialog_template(const res::DialogTemplate& dialog, bool look_3d) {
    TemplateWriter out;
    const WindowStyles styles = dialog_styles(dialog, look_3d);
    out.dword(styles.style);
    out.dword(styles.ex_style);
    out.word(static_cast<std::uint16_t>(dialog.controls.size()));
    out.signed_word(0);
    out.signed_word(0);
    out.signed_word(dialog.width);
    out.signed_word(dialog.height);
    out.word(0);  // no menu
    out.word(0);  // the dialog manager's own window class
    out.text(dialog.caption);
    if (!dialog.font_face.empty()) {
        out.word(static_cast<std::uint16_t>(dialog.font_points));
        out.text(dialog.font_face);
    }

    for (const res::ControlTemplate& control : dialog.controls) {
        out.align_dword();
        const WindowStyles item = control_styles(control);
        out.dword(item.style);
        out.dword(item.ex_style);
        out.signed_word(control.rect.x);
        out.signed_word(control.rect.y);
        out.signed_word(control.rect.width);
        out.signed_word(control.rect.height);
        out.word(static_cast<std::uint16_t>(control.id));  // kIdStatic becomes 0xFFFF
        switch (control.kind) {
            case res::ControlKind::PushButton:
            case res::ControlKind::CheckBox:
            case res::ControlKind::GroupBox:
                out.ordinal(kButtonAtom);
                break;
            case res::ControlKind::Edit:
                out.ordinal(kEditAtom);
                break;
            case res::ControlKind::Label:
            case res::ControlKind::Icon:
                out.ordinal(kStaticAtom);
                break;
            case res::ControlKind::DropDownList:
                out.ordinal(kComboBoxAtom);
                break;
            case res::ControlKind::Trackbar:
                out.text(kTrackbarClass);
                break;
        }
        if (control.kind == res::ControlKind::Icon) {
            out.ordinal(static_cast<std::uint16_t>(control.icon_resource));
        } else {
            out.text(control.text);
        }
        out.word(0);  // no creation data
    }
    return out.take();
}

namespace {

constexpr bool fully_mapped(const res::DialogTemplate& dialog) {
    if (dialog_styles(dialog, false).unmapped != 0) {
        return false;
    }
    for (const res::ControlTemplate& control : dialog.controls) {
        if (control_styles(control).unmapped != 0) {
            return false;
        }
    }
    return true;
}

static_assert(fully_mapped(res::kMainDialog) && fully_mapped(res::kCautionDialog),
              "a dialog of res/ carries a style bit that has no Win32 style for its kind");

}  // namespace

}  // namespace vantrel::win32
