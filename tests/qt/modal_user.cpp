// SPDX-License-Identifier: GPL-2.0-or-later
#include "modal_user.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QTest>

namespace vantrel::test {

namespace {

constexpr int kLookEveryMs = 5;

}  // namespace

ModalUser::ModalUser() {
    timer_.setInterval(kLookEveryMs);
    connect(&timer_, &QTimer::timeout, this, [this] { look(); });
    timer_.start();
}

void ModalUser::look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    for (const auto& handler : handlers_) {
        if (handler(*modal)) {
            return;
        }
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        boxes_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                          cursor == nullptr || cursor->shape() == Qt::ArrowCursor});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            QTest::mouseClick(ok, Qt::LeftButton);
        }
    }
}

QStringList ModalUser::box_texts() const {
    QStringList texts;
    for (const SeenBox& box : boxes_) {
        texts << box.text;
    }
    return texts;
}

}  // namespace vantrel::test
