// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/dialog_units.h"

namespace vantrel {

namespace {

constexpr int kAlphabetLetters = 26;
constexpr int kDialogUnitsPerBaseX = 4;
constexpr int kDialogUnitsPerBaseY = 8;

// value * numerator / denominator rounded half away from zero, as Win32's MulDiv does.
int mul_div(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(rounded);
}

}  // namespace

DialogBaseUnits dialog_base_units(const FontMetrics& font) {
    // The width of 52 letters over 52, rounded half up: ((w / 26) + 1) / 2.
    return {(font.alphabet_width / kAlphabetLetters + 1) / 2, font.height};
}

PixelRect dialog_to_pixels(const res::DialogRect& rect, DialogBaseUnits units) {
    return {mul_div(rect.x, units.x, kDialogUnitsPerBaseX),
            mul_div(rect.y, units.y, kDialogUnitsPerBaseY),
            mul_div(rect.width, units.x, kDialogUnitsPerBaseX),
            mul_div(rect.height, units.y, kDialogUnitsPerBaseY)};
}

PixelRect dialog_client_pixels(const res::DialogTemplate& dialog, DialogBaseUnits units) {
    return dialog_to_pixels({0, 0, dialog.width, dialog.height}, units);
}

}  // namespace vantrel
