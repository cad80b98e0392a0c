// SPDX-License-Identifier: GPL-2.0-or-later
#include "template_metrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "qt/qstring_text.h"

namespace vantrel::test {

DialogBaseUnits expected_units(const res::DialogTemplate& dialog) {
    QFont font(qt::to_qstring(dialog.font_face));
    font.setPointSize(dialog.font_points);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return dialog_base_units({letters, metrics.height()});
}

}  // namespace vantrel::test
