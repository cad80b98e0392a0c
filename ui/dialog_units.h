// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "res/dialog_templates.h"

namespace vantrel {

// What a front end measures of the template's font (Arial 9 pt, or the closest installed) to
// place the controls as the Windows dialog manager does.
struct FontMetrics {
    int alphabet_width;  // pixels of the 52 letters "A".."Z" followed by "a".."z"
    int height;          // the font's height in pixels (ascent plus descent)
};

// The horizontal and vertical dialog base units: a dialog unit is a quarter of the first and an
// eighth of the second.
struct DialogBaseUnits {
    int x;
    int y;
};

struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

// The average character width over the 52 letters, rounded as the dialog manager rounds it,
// and the font height.
DialogBaseUnits dialog_base_units(const FontMetrics& font);

// Each field of a template rectangle in pixels, each converted on its own (x and width by the
// horizontal unit, y and height by the vertical one), rounded to nearest as MulDiv rounds.
PixelRect dialog_to_pixels(const res::DialogRect& rect, DialogBaseUnits units);

// A dialog's client area in pixels.
PixelRect dialog_client_pixels(const res::DialogTemplate& dialog, DialogBaseUnits units);

}  // namespace vantrel
