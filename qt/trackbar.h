#pragma once

#include <QSlider>

namespace vantrel::qt {

// A horizontal slider that behaves as the Win32 trackbar does: a new one runs from 0 to 100 at
// position 0; Left and Up step toward the minimum, Right and Down toward the maximum, Page Up
// and Page Down by a page, Home and End to the ends; the page is a fifth of the range, kept up
// to date as the range changes. Every step is a user action (actionTriggered), never a mere
// value change.
class Trackbar : public QSlider {
  public:
    explicit Trackbar(QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void sliderChange(SliderChange change) override;
};

}  // namespace vantrel::qt
