#include "qt/trackbar.h"

#include <QKeyEvent>
#include <algorithm>

namespace vantrel::qt {

namespace {

constexpr int kDefaultMaximum = 100;
constexpr int kPageFraction = 5;

}  // namespace

Trackbar::Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, kDefaultMaximum);
    setValue(0);
    setSingleStep(1);
}

void Trackbar::keyPressEvent(QKeyEvent* event) {
    SliderAction action = SliderNoAction;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = SliderSingleStepSub;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = SliderToMinimum;
            break;
        case Qt::Key_End:
            action = SliderToMaximum;
            break;
        default:
            event->ignore();
            return;
    }
    triggerAction(action);
    event->accept();
}

void Trackbar::sliderChange(SliderChange change) {
    if (change == SliderRangeChange) {
        setPageStep(std::max(1, (maximum() - minimum()) / kPageFraction));
    }
    QSlider::sliderChange(change);
}

}  // namespace vantrel::qt
