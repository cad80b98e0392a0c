// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/dialog_seams.h"

#include <commctrl.h>

#include <string>

namespace vantrel::win32 {

static_assert(kCbErr == CB_ERR);
static_assert(kBstUnchecked == BST_UNCHECKED && kBstChecked == BST_CHECKED &&
              kBstIndeterminate == BST_INDETERMINATE);

LRESULT Win32DialogControls::send(int id, UINT message, WPARAM wparam, LPARAM lparam) const {
    return SendDlgItemMessageA(dialog_, id, message, wparam, lparam);
}

std::string Win32DialogControls::text(int id) const {
    const HWND control = GetDlgItem(dialog_, id);
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void Win32DialogControls::set_text(int id, std::string_view text) {
    const std::string value(text);
    SetWindowTextA(GetDlgItem(dialog_, id), value.c_str());
}

int Win32DialogControls::selection(int id) const {
    return static_cast<int>(send(id, CB_GETCURSEL, 0, 0));
}

void Win32DialogControls::select(int id, int index) {
    send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32DialogControls::check_state(int id) const {
    return static_cast<int>(IsDlgButtonChecked(dialog_, id));
}

void Win32DialogControls::set_check_state(int id, int state) {
    CheckDlgButton(dialog_, id, static_cast<UINT>(state));
}

bool Win32DialogControls::enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE;
}

void Win32DialogControls::enable(int id, bool on) {
    EnableWindow(GetDlgItem(dialog_, id), on ? TRUE : FALSE);
}

int Win32DialogControls::slider_minimum(int id) const {
    return static_cast<int>(send(id, TBM_GETRANGEMIN, 0, 0));
}

int Win32DialogControls::slider_maximum(int id) const {
    return static_cast<int>(send(id, TBM_GETRANGEMAX, 0, 0));
}

void Win32DialogControls::set_slider_minimum(int id, int minimum) {
    send(id, TBM_SETRANGEMIN, FALSE, minimum);
}

void Win32DialogControls::set_slider_maximum(int id, int maximum) {
    send(id, TBM_SETRANGEMAX, FALSE, maximum);
}

void Win32DialogControls::set_slider_tick_frequency(int id, int frequency) {
    send(id, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

int Win32DialogControls::slider_position(int id) const {
    return static_cast<int>(send(id, TBM_GETPOS, 0, 0));
}

void Win32DialogControls::set_slider_position(int id, int position) {
    send(id, TBM_SETPOS, TRUE, position);
}

IconHandle Win32DialogWindow::load_icon(int resource_id) {
    return LoadIconA(instance_, MAKEINTRESOURCEA(resource_id));
}

void Win32DialogWindow::set_icon(IconKind kind, IconHandle icon) {
    SendMessageA(dialog_, WM_SETICON, kind == IconKind::Big ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(icon));
}

bool Win32DialogWindow::minimised() const {
    return IsIconic(dialog_) != FALSE;
}

void Win32DialogWindow::begin_paint() {
    BeginPaint(dialog_, &paint_);
}

void Win32DialogWindow::erase_icon_background() {
    SendMessageA(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint_.hdc), 0);
}

PixelSize Win32DialogWindow::system_icon_size() const {
    return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
}

PixelSize Win32DialogWindow::client_size() const {
    RECT rect{};
    GetClientRect(dialog_, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void Win32DialogWindow::draw_icon(IconHandle icon, int x, int y) {
    DrawIcon(paint_.hdc, x, y, static_cast<HICON>(const_cast<void*>(icon)));
}

void Win32DialogWindow::end_paint() {
    EndPaint(dialog_, &paint_);
}

void Win32MessageBoxes::show(std::string_view text, std::string_view caption,
                             MessageButtons /*buttons*/, MessageIcon icon) {
    const std::string body(text);
    const std::string title(caption);
    UINT type = MB_OK;
    if (icon == MessageIcon::Stop) {
        type |= MB_ICONHAND;
    }
    if (owner_ == nullptr) {
        type |= MB_SETFOREGROUND;
    }
    MessageBoxA(owner_, body.c_str(), title.c_str(), type);
}

}  // namespace vantrel::win32
