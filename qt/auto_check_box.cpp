#include "qt/auto_check_box.h"

namespace vantrel::qt {

void AutoCheckBox::nextCheckState() {
    const bool was_checked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(was_checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace vantrel::qt
