// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/framework.h"

#include <commctrl.h>

#include <vector>

#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "win32/dialog_template.h"

namespace vantrel::win32 {

// The template's style values stand in for the Win32 headers' own.
static_assert(winapi::kWsPopup == WS_POPUP && winapi::kWsChild == WS_CHILD &&
              winapi::kWsVisible == WS_VISIBLE && winapi::kWsCaption == WS_CAPTION &&
              winapi::kWsBorder == WS_BORDER && winapi::kWsVscroll == WS_VSCROLL &&
              winapi::kWsSysmenu == WS_SYSMENU && winapi::kWsGroup == WS_GROUP &&
              winapi::kWsMinimizebox == WS_MINIMIZEBOX && winapi::kWsTabstop == WS_TABSTOP &&
              winapi::kWsExAppwindow == WS_EX_APPWINDOW);
static_assert(winapi::kDs3dLook == DS_3DLOOK && winapi::kDsSetfont == DS_SETFONT &&
              winapi::kDsModalframe == DS_MODALFRAME &&
              winapi::kDsSetforeground == DS_SETFOREGROUND);
static_assert(winapi::kBsPushbutton == BS_PUSHBUTTON &&
              winapi::kBsDefpushbutton == BS_DEFPUSHBUTTON && winapi::kBsCheckbox == BS_CHECKBOX &&
              winapi::kBsAutocheckbox == BS_AUTOCHECKBOX && winapi::kBsGroupbox == BS_GROUPBOX &&
              winapi::kBsLeft == BS_LEFT);
static_assert(winapi::kEsLeft == ES_LEFT && winapi::kEsAutohscroll == ES_AUTOHSCROLL &&
              winapi::kEsReadonly == ES_READONLY && winapi::kEsNumber == ES_NUMBER);
static_assert(winapi::kCbsDropdownlist == CBS_DROPDOWNLIST && winapi::kCbsSort == CBS_SORT);
static_assert(winapi::kSsLeft == SS_LEFT && winapi::kSsIcon == SS_ICON &&
              winapi::kSsRealsizeimage == SS_REALSIZEIMAGE);
static_assert(winapi::kTbsAutoticks == TBS_AUTOTICKS && winapi::kTbsVert == TBS_VERT &&
              winapi::kTbsHorz == TBS_HORZ);

// The notice's procedure takes the window messages by their Win32 numbers.
static_assert(kWmClose == WM_CLOSE && kWmInitDialog == WM_INITDIALOG && kWmCommand == WM_COMMAND);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL && kBnClicked == BN_CLICKED);

namespace {

const DLGTEMPLATE* as_template(const std::vector<std::uint16_t>& words) {
    return reinterpret_cast<const DLGTEMPLATE*>(words.data());
}

// The hourglass while the hardware blocks the program's one thread; the previous cursor comes
// back when the work is done.
class WaitCursor {
  public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

// A dialog without an owner opens centred in the screen's work area, unless its initialisation
// has placed it itself.
void centre_in_work_area(HWND hwnd) {
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT window{};
    GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = work.left + ((work.right - work.left) - width) / 2;
    const int y = work.top + ((work.bottom - work.top) - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool same_rect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Win32CautionWindow : public CautionWindow {
  public:
    explicit Win32CautionWindow(HWND hwnd) : hwnd_(hwnd) {}

    ScreenRect window_rect() const override {
        RECT rect{};
        GetWindowRect(hwnd_, &rect);
        return {rect.left, rect.top, rect.right, rect.bottom};
    }
    int screen_width() const override { return GetSystemMetrics(SM_CXSCREEN); }
    int screen_height() const override { return GetSystemMetrics(SM_CYSCREEN); }
    void move_to(int x, int y) override {
        SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    int check_state(int id) const override {
        return static_cast<int>(IsDlgButtonChecked(hwnd_, id));
    }
    void end_dialog(int result) override { EndDialog(hwnd_, result); }

  private:
    HWND hwnd_;
};

INT_PTR CALLBACK hidden_proc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK caution_dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32CautionWindow window(hwnd);
    return caution_proc(window, message, wparam, lparam);
}

}  // namespace

Win32DialogFramework::Win32DialogFramework(HINSTANCE instance)
    : instance_(instance), window_(instance) {
    // Registers the trackbar's window class before any template names it.
    InitCommonControls();
}

void Win32DialogFramework::run_modal(MainDialog& dialog) {
    const std::vector<std::uint16_t> words = build_dialog_template(res::kMainDialog, look_3d_);
    dialog_ = &dialog;
    DialogBoxIndirectParamA(instance_, as_template(words), nullptr, dialog_proc,
                            reinterpret_cast<LPARAM>(this));
    dialog_ = nullptr;
    controls_.attach(nullptr);
    window_.attach(nullptr);
    messages_.attach(nullptr);
}

INT_PTR CALLBACK Win32DialogFramework::dialog_proc(HWND hwnd, UINT message, WPARAM wparam,
                                                   LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lparam);
    }
    auto* self = reinterpret_cast<Win32DialogFramework*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    // WM_SETFONT and the like arrive before WM_INITDIALOG, when there is nothing to route to.
    if (self == nullptr || self->dialog_ == nullptr) {
        return FALSE;
    }
    return self->handle(hwnd, message, wparam, lparam);
}

void Win32DialogFramework::attach(HWND hwnd) {
    controls_.attach(hwnd);
    window_.attach(hwnd);
    messages_.attach(hwnd);
}

void Win32DialogFramework::add_list_items(HWND hwnd) {
    // The template's initialisation data: every list gets its items, in order, before the
    // dialog's own initialisation selects among them.
    for (const res::ControlTemplate& control : res::kMainDialog.controls) {
        for (const std::string_view item : control.items) {
            const std::string text(item);
            SendDlgItemMessageA(hwnd, control.id, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

INT_PTR Win32DialogFramework::handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    switch (message) {
        case WM_INITDIALOG: {
            attach(hwnd);
            add_list_items(hwnd);
            RECT before{};
            GetWindowRect(hwnd, &before);
            {
                WaitCursor wait;
                dialog_->on_init_dialog();
            }
            RECT after{};
            GetWindowRect(hwnd, &after);
            if (same_rect(before, after)) {
                centre_in_work_area(hwnd);
            }
            // The dialog manager places the initial focus.
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            const int notification = HIWORD(wparam);
            if ((id == IDOK || id == IDCANCEL) && notification == BN_CLICKED) {
                EndDialog(hwnd, id);
                return TRUE;
            }
            if (id == IDC_RUN_SETTINGS || id == IDC_LOAD_SETTINGS) {
                WaitCursor wait;
                return dialog_->on_command(id, notification) ? TRUE : FALSE;
            }
            return dialog_->on_command(id, notification) ? TRUE : FALSE;
        }
        case WM_HSCROLL:
            dialog_->on_slider_scroll();
            return TRUE;
        case WM_PAINT:
            dialog_->on_paint();
            return window_.take_left_to_default() ? FALSE : TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(dialog_->on_query_drag_icon());
        default:
            return FALSE;
    }
}

HWND Win32DialogFramework::create_hidden() {
    const std::vector<std::uint16_t> words = build_dialog_template(res::kMainDialog, look_3d_);
    // The template has no WS_VISIBLE, so a modeless dialog made from it stays hidden.
    const HWND hwnd =
        CreateDialogIndirectParamA(instance_, as_template(words), nullptr, hidden_proc, 0);
    if (hwnd == nullptr) {
        return nullptr;
    }
    controls_.attach(hwnd);
    window_.attach(hwnd);
    messages_.attach(nullptr);
    add_list_items(hwnd);
    return hwnd;
}

void Win32DialogFramework::destroy_hidden(HWND hwnd) {
    attach(nullptr);
    DestroyWindow(hwnd);
}

int Win32CautionNotice::run() {
    const std::vector<std::uint16_t> words =
        build_dialog_template(res::kCautionDialog, framework_.look_3d());
    return static_cast<int>(
        DialogBoxIndirectParamA(instance_, as_template(words), nullptr, caution_dialog_proc, 0));
}

}  // namespace vantrel::win32
