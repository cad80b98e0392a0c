// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <windows.h>

#include "ui/dialog_controls.h"
#include "ui/dialog_window.h"
#include "ui/message_boxes.h"

namespace vantrel::win32 {

// The dialog's controls by ID, each operation the one window message or call that does it. The
// dialog window is attached when it is created.
class Win32DialogControls : public DialogControls {
  public:
    void attach(HWND dialog) { dialog_ = dialog; }

    std::string text(int id) const override;
    void set_text(int id, std::string_view text) override;
    int selection(int id) const override;
    void select(int id, int index) override;
    int check_state(int id) const override;
    void set_check_state(int id, int state) override;
    bool enabled(int id) const override;
    void enable(int id, bool on) override;
    int slider_minimum(int id) const override;
    int slider_maximum(int id) const override;
    void set_slider_minimum(int id, int minimum) override;
    void set_slider_maximum(int id, int maximum) override;
    void set_slider_tick_frequency(int id, int frequency) override;
    int slider_position(int id) const override;
    void set_slider_position(int id, int position) override;

  private:
    LRESULT send(int id, UINT message, WPARAM wparam, LPARAM lparam) const;

    HWND dialog_ = nullptr;
};

// The dialog's own window: its icons and the icon it paints while minimised.
class Win32DialogWindow : public DialogWindow {
  public:
    explicit Win32DialogWindow(HINSTANCE instance) : instance_(instance) {}
    void attach(HWND dialog) { dialog_ = dialog; }

    IconHandle load_icon(int resource_id) override;
    void set_icon(IconKind kind, IconHandle icon) override;
    bool minimised() const override;
    void begin_paint() override;
    void erase_icon_background() override;
    PixelSize system_icon_size() const override;
    PixelSize client_size() const override;
    void draw_icon(IconHandle icon, int x, int y) override;
    void end_paint() override;
    void default_paint() override { left_to_default_ = true; }

    // Whether the last paint was left to the dialog manager; reset by asking.
    bool take_left_to_default() {
        const bool left = left_to_default_;
        left_to_default_ = false;
        return left;
    }

  private:
    HINSTANCE instance_;
    HWND dialog_ = nullptr;
    PAINTSTRUCT paint_{};
    bool left_to_default_ = false;
};

// MessageBoxA, owned by the attached window; a box without an owner (no dialog is open) is
// brought to the foreground, since nothing else of the program is on the screen.
class Win32MessageBoxes : public MessageBoxes {
  public:
    void attach(HWND owner) { owner_ = owner; }
    void show(std::string_view text, std::string_view caption, MessageButtons buttons,
              MessageIcon icon) override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace vantrel::win32
