// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/messages.h"

#include <QMessageBox>
#include <QString>

#include "qt/controls.h"
#include "qt/qstring_text.h"

namespace vantrel::qt {

namespace {

QMessageBox::Icon box_icon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void ErrorBoxes::show(std::string_view text, std::string_view caption, MessageButtons buttons,
                      MessageIcon icon) {
    QMessageBox box(box_icon(icon), to_qstring(caption), to_qstring(text), QMessageBox::NoButton,
                    owner_.data());
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    box.setTextFormat(Qt::PlainText);
    const ArrowCursor arrow;
    box.exec();
}

void PrintedMessages::show(std::string_view text, std::string_view caption,
                           MessageButtons /*buttons*/, MessageIcon /*icon*/) {
    std::fprintf(out_, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(out_);
}

}  // namespace vantrel::qt
