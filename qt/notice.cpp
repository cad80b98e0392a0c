// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/notice.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "qt/pictures.h"

namespace vantrel::qt {

namespace {

QRect primary_screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect();
}

}  // namespace

CautionDialog::CautionDialog(IconLibrary& icons)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      widgets_(res::kCautionDialog, *this, icons) {
    controls_.attach(&widgets_);
    setFixedSize(widgets_.client_size());
    for (const BuiltControl& built : widgets_.controls()) {
        const int id = built.control->id;
        if (auto* button = qobject_cast<QAbstractButton*>(built.widget);
            button && id != kIdStatic) {
            // A button's click arrives as WM_COMMAND with its ID and notification code 0.
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { send(kWmCommand, static_cast<std::uintptr_t>(id)); });
        }
    }
}

void CautionDialog::send(std::uint32_t message, std::uintptr_t wparam) {
    caution_proc(*this, message, wparam, 0);
}

void CautionDialog::initialise() {
    if (caution_proc(*this, kWmInitDialog, 0, 0) != 0) {
        if (QWidget* first = widgets_.first_tab_stop()) {
            first->setFocus(Qt::OtherFocusReason);
        }
    }
}

ScreenRect CautionDialog::window_rect() const {
    // The notice has no frame, so its window is its geometry; Qt 5 also reports the frame of a
    // window not yet shown one pixel short, which would put the notice off centre.
    const QRect window = geometry();
    return {window.left(), window.top(), window.left() + window.width(),
            window.top() + window.height()};
}

int CautionDialog::screen_width() const {
    return primary_screen().width();
}

int CautionDialog::screen_height() const {
    return primary_screen().height();
}

void CautionDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        send(kWmCommand, static_cast<std::uintptr_t>(kIdCancel));
        return;
    }
    QDialog::keyPressEvent(event);
}

void CautionDialog::closeEvent(QCloseEvent* event) {
    // The procedure decides: WM_CLOSE ends the notice as OK does.
    event->ignore();
    if (isVisible()) {
        send(kWmClose, 0);
    }
}

void CautionDialog::reject() {
    // Whatever would cancel a plain dialog is the IDCANCEL command, which the notice ignores.
    send(kWmCommand, static_cast<std::uintptr_t>(kIdCancel));
}

int ModalCautionNotice::run() {
    CautionDialog dialog(icons_);
    dialog.initialise();
    return dialog.exec();
}

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
