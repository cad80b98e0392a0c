#include "qt/screenshot_caution_notice.h"

#include <QAbstractButton>

#include "qt/caution_dialog.h"
#include "qt/picture.h"

namespace vantrel::qt {

int ScreenshotCautionNotice::run() {
    CautionDialog dialog(icons_);
    dialog.initialise();
    rendered_ = save_picture(dialog, path_, error_);
    auto* ok = qobject_cast<QAbstractButton*>(dialog.widgets().widget(kIdOk));
    if (ok == nullptr) {
        return kCautionFailed;
    }
    ok->click();
    return dialog.result();
}

}  // namespace vantrel::qt
