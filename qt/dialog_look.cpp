#include "qt/dialog_look.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace vantrel::qt {

void apply_3d_look() {
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
        return;
    }
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
        QApplication::setStyle(style);
    }
}

}  // namespace vantrel::qt
