#include "qt/modal_caution_notice.h"

#include "qt/caution_dialog.h"

namespace vantrel::qt {

int ModalCautionNotice::run() {
    CautionDialog dialog(icons_);
    dialog.initialise();
    return dialog.exec();
}

}  // namespace vantrel::qt
