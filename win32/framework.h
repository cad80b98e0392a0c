// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <windows.h>

#include "app/core/caution_notice.h"
#include "app/core/setup_app.h"
#include "ui/main_dialog.h"
#include "win32/dialog_seams.h"

namespace vantrel::win32 {

// The dialog framework's part, over plain Win32: the main dialog made from res::kMainDialog as
// an in-memory template, its list items added when it initialises, the event table routed to
// MainDialog, and the dialog manager's default handling for everything else (Escape and the
// close box end it; Enter presses the default button).
class Win32DialogFramework : public DialogFramework {
  public:
    explicit Win32DialogFramework(HINSTANCE instance);
    Win32DialogFramework(const Win32DialogFramework&) = delete;
    Win32DialogFramework& operator=(const Win32DialogFramework&) = delete;

    // Windows 95 and later draw 3-D controls themselves; the switch asks them to for every
    // dialog the program opens from now on.
    void enable_3d_controls() override { look_3d_ = true; }
    bool look_3d() const { return look_3d_; }

    void run_modal(MainDialog& dialog) override;

    // The main dialog's window with its list items, never shown and with no events routed, for
    // running the dialog's logic where nobody sees it; its message boxes have no owner. Null
    // when the window cannot be made. destroy_hidden() ends it.
    HWND create_hidden();
    void destroy_hidden(HWND hwnd);

    // The seams the main dialog is made with, bound to its window while it is open.
    Win32DialogControls& controls() { return controls_; }
    Win32DialogWindow& window() { return window_; }
    Win32MessageBoxes& messages() { return messages_; }

  private:
    static INT_PTR CALLBACK dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void attach(HWND hwnd);
    void add_list_items(HWND hwnd);

    HINSTANCE instance_;
    bool look_3d_ = false;
    Win32DialogControls controls_;
    Win32DialogWindow window_;
    Win32MessageBoxes messages_;
    MainDialog* dialog_ = nullptr;
};

// The caution notice as a plain modal dialog box with caution_proc as its procedure.
class Win32CautionNotice : public CautionNotice {
  public:
    Win32CautionNotice(HINSTANCE instance, const Win32DialogFramework& framework)
        : instance_(instance), framework_(framework) {}

    int run() override;

  private:
    HINSTANCE instance_;
    const Win32DialogFramework& framework_;
};

}  // namespace vantrel::win32
