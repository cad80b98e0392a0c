// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/dialog_window.h"

namespace vantrel {

// The window of a dialog nobody sees: it has no icons and never paints.
class HiddenDialogWindow : public DialogWindow {
  public:
    IconHandle load_icon(int) override { return nullptr; }
    void set_icon(IconKind, IconHandle) override {}
    bool minimised() const override { return false; }
    void begin_paint() override {}
    void erase_icon_background() override {}
    PixelSize system_icon_size() const override { return {0, 0}; }
    PixelSize client_size() const override { return {0, 0}; }
    void draw_icon(IconHandle, int, int) override {}
    void end_paint() override {}
    void default_paint() override {}
};

}  // namespace vantrel
