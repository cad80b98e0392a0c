#pragma once

#include <QObject>

namespace vantrel::qt {

// Lets only digits be typed into an edit box. Like a Win32 number edit it filters typing, not
// pasting or text the program sets, so the program's own " 99 " stays editable.
class DigitsOnlyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vantrel::qt
