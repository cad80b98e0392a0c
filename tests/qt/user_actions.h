// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QCheckBox>
#include <QPoint>
#include <QSlider>

namespace vantrel::test {

// Where a slider's thumb is, in the slider's own coordinates.
QRect slider_handle(const QSlider& slider);

// The point on the slider's groove that stands for a value.
QPoint slider_point(const QSlider& slider, int value);

// Presses the mouse on the thumb, moves it to `to` (slider coordinates, possibly outside the
// slider) in steps, and lets go.
void drag_slider(QSlider& slider, QPoint to);

// Clicks a check box on its indicator.
void click_check_box(QCheckBox& box);

}  // namespace vantrel::test
