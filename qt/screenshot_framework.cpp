#include "qt/screenshot_framework.h"

#include "qt/dialog_look.h"
#include "qt/picture.h"

namespace vantrel::qt {

void ScreenshotFramework::enable_3d_controls() {
    apply_3d_look();
}

void ScreenshotFramework::run_modal(MainDialog& dialog) {
    window_.bind(&dialog);
    window_.initialise();
    rendered_ = save_picture(window_, path_, error_);
    window_.bind(nullptr);
}

}  // namespace vantrel::qt
