// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// The window messages the caution notice's procedure tells apart, with their Win32 numbers so
// that a Win32 front end can pass its own straight through.
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmInitDialog = 0x0110;
inline constexpr std::uint32_t kWmCommand = 0x0111;

// What running the notice returns when it cannot be shown at all.
inline constexpr int kCautionFailed = -1;

struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The caution notice's window as its procedure sees it.
class CautionWindow {
  public:
    virtual ~CautionWindow() = default;
    virtual ScreenRect window_rect() const = 0;
    virtual int screen_width() const = 0;
    virtual int screen_height() const = 0;
    // Moves the window, keeping its size and Z order.
    virtual void move_to(int x, int y) = 0;
    virtual int check_state(int id) const = 0;
    virtual void end_dialog(int result) = 0;
};

// The notice's dialog procedure: returns 1 for a message it handled, 0 otherwise.
int caution_proc(CautionWindow& window, std::uint32_t message, std::uintptr_t wparam,
                 std::intptr_t lparam);

// Runs the caution notice modally with caution_proc: 0 when "Don't show this message next
// time." was ticked, 1 when not, kCautionFailed when the notice could not be shown.
class CautionNotice {
  public:
    virtual ~CautionNotice() = default;
    virtual int run() = 0;
};

}  // namespace vantrel
