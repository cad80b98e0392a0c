#include "qt/digits_only_filter.h"

#include <QApplication>
#include <QKeyEvent>

namespace vantrel::qt {

namespace {

bool typed_non_digit(const QKeyEvent& key) {
    // Shortcuts (copy, paste, select all) and editing keys carry no printable text or a
    // control modifier; only printable characters are typing.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = key.text();
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (!c.isPrint()) {
            return false;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool DigitsOnlyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && typed_non_digit(*static_cast<QKeyEvent*>(event))) {
        QApplication::beep();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vantrel::qt
