// SPDX-License-Identifier: GPL-2.0-or-later
#include "user_actions.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

namespace vantrel::test {

namespace {

constexpr int kDragSteps = 8;

QStyleOptionSlider slider_option(const QSlider& slider) {
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = slider.orientation();
    option.maximum = slider.maximum();
    option.minimum = slider.minimum();
    option.tickPosition = slider.tickPosition();
    option.tickInterval = slider.tickInterval();
    option.upsideDown = slider.invertedAppearance() != (option.direction == Qt::RightToLeft);
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.singleStep = slider.singleStep();
    option.pageStep = slider.pageStep();
    return option;
}

}  // namespace

QRect slider_handle(const QSlider& slider) {
    const QStyleOptionSlider option = slider_option(slider);
    return slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                          &slider);
}

QPoint slider_point(const QSlider& slider, int value) {
    const QStyleOptionSlider option = slider_option(slider);
    const QRect groove = slider.style()->subControlRect(QStyle::CC_Slider, &option,
                                                        QStyle::SC_SliderGroove, &slider);
    const QRect handle = slider_handle(slider);
    const int span = groove.width() - handle.width();
    const int x = groove.x() +
                  QStyle::sliderPositionFromValue(slider.minimum(), slider.maximum(), value, span) +
                  handle.width() / 2;
    return {x, handle.center().y()};
}

void drag_slider(QSlider& slider, QPoint to) {
    const QPoint from = slider_handle(slider).center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, from);
    for (int step = 1; step <= kDragSteps; ++step) {
        // Qt 5's QTest::mouseMove only moves the cursor, so the move is sent with the button held.
        const QPoint at = from + (to - from) * step / kDragSteps;
        QMouseEvent move(QEvent::MouseMove, at, slider.mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&slider, &move);
    }
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, to);
}

void click_check_box(QCheckBox& box) {
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
}

}  // namespace vantrel::test
