// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace vantrel {

// An icon owned by the platform; the program shares it and never destroys it.
using IconHandle = const void*;

struct PixelSize {
    int width;
    int height;
};

enum class IconKind : unsigned char { Big, Small };

// The main dialog's own window, apart from its controls: its icons and the painting it does
// itself while minimised.
class DialogWindow {
  public:
    virtual ~DialogWindow() = default;

    // Loads an icon resource of the program in the system's standard icon size.
    virtual IconHandle load_icon(int resource_id) = 0;
    virtual void set_icon(IconKind kind, IconHandle icon) = 0;

    virtual bool minimised() const = 0;
    // Opens a paint context; every other paint operation below belongs to it.
    virtual void begin_paint() = 0;
    virtual void erase_icon_background() = 0;
    virtual PixelSize system_icon_size() const = 0;
    virtual PixelSize client_size() const = 0;
    virtual void draw_icon(IconHandle icon, int x, int y) = 0;
    virtual void end_paint() = 0;
    // Leaves painting to the window's default handling.
    virtual void default_paint() = 0;
};

}  // namespace vantrel
