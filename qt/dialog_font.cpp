#include "qt/dialog_font.h"

#include <QFontMetrics>
#include <QString>

namespace vantrel::qt {

namespace {

// The 52 letters whose average width is the horizontal base unit.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace

QFont template_font(const res::DialogTemplate& dialog) {
    QFont font(QString::fromUtf8(dialog.font_face.data(),
                                 static_cast<qsizetype>(dialog.font_face.size())));
    font.setPointSize(dialog.font_points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

FontMetrics measure_font(const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)), metrics.height()};
}

DialogBaseUnits template_base_units(const res::DialogTemplate& dialog) {
    return dialog_base_units(measure_font(template_font(dialog)));
}

}  // namespace vantrel::qt
