#include "qt/modal_framework.h"

#include "qt/dialog_look.h"

namespace vantrel::qt {

void ModalFramework::enable_3d_controls() {
    apply_3d_look();
}

void ModalFramework::run_modal(MainDialog& dialog) {
    window_.bind(&dialog);
    window_.initialise();
    window_.exec();
    window_.bind(nullptr);
}

}  // namespace vantrel::qt
