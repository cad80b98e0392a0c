#pragma once

#include <QCheckBox>

namespace vantrel::qt {

// A two-state automatic check box: a click checks a box that is clear or indeterminate and
// clears a checked one. The program may still set the indeterminate state, which a plain
// QCheckBox would then keep cycling through.
class AutoCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override;
};

}  // namespace vantrel::qt
