// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/core/caution_notice.h"

#include "res/resource_ids.h"

namespace vantrel {

namespace {

// IDOK with notification code 0: the OK button itself, or Enter on it.
constexpr std::uintptr_t kOkCommand = kIdOk;

constexpr int kDontShowAgain = 0;
constexpr int kShowAgain = 1;

void centre_on_screen(CautionWindow& window) {
    const ScreenRect rect = window.window_rect();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    window.move_to((window.screen_width() - width) / 2, (window.screen_height() - height) / 2);
}

}  // namespace

int caution_proc(CautionWindow& window, std::uint32_t message, std::uintptr_t wparam,
                 std::intptr_t /*lparam*/) {
    switch (message) {
        case kWmInitDialog:
            centre_on_screen(window);
            return 1;
        case kWmCommand:
            // Escape arrives as IDCANCEL and is swallowed: the notice ends only by OK or close.
            if (wparam != kOkCommand) {
                return 1;
            }
            [[fallthrough]];
        case kWmClose:
            // Only a definite tick hides the notice next time; an indeterminate box counts as
            // clear.
            window.end_dialog(window.check_state(IDC_DONT_SHOW) == 1 ? kDontShowAgain : kShowAgain);
            return 1;
        default:
            return 0;
    }
}

}  // namespace vantrel
