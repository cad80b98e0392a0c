// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/main_window.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QStyle>

#include "qt/controls.h"
#include "qt/qstring_text.h"

namespace vantrel::qt {

MainWindow::MainWindow(IconLibrary& icons)
    : QDialog(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      icons_(icons) {
    setWindowTitle(to_qstring(res::kMainDialog.caption));
}

void MainWindow::create_controls() {
    if (widgets_) {
        return;
    }
    widgets_ = std::make_unique<TemplateWidgets>(res::kMainDialog, *this, icons_);
    controls_.attach(widgets_.get());
    setFixedSize(widgets_->client_size());
    if (QWidget* type = widgets_->widget(IDC_SM_TYPE)) {
        type->setToolTip(bus_tip_);
    }
    show_version_line();

    for (const BuiltControl& built : widgets_->controls()) {
        const int id = built.control->id;
        if (id == kIdStatic) {
            continue;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(built.widget)) {
            connect(button, &QAbstractButton::clicked, this, [this, id] { command(id); });
        } else if (auto* slider = qobject_cast<QSlider*>(built.widget)) {
            // The user's own moves only: a position the program sets sends nothing back.
            connect(slider, &QAbstractSlider::actionTriggered, this, [this] { scroll(); });
            connect(slider, &QAbstractSlider::sliderReleased, this, [this] { scroll(); });
        }
    }
}

void MainWindow::set_bus_path(const std::string& path) {
    bus_tip_ = path.empty() ? QString() : QStringLiteral("SMBus reached by ") + to_qstring(path);
    if (widgets_) {
        if (QWidget* type = widgets_->widget(IDC_SM_TYPE)) {
            type->setToolTip(bus_tip_);
        }
    }
}

void MainWindow::set_simulated(bool simulated) {
    simulated_ = simulated;
    if (widgets_) {
        show_version_line();
    }
}

// The template's line names the Windows program's platforms; this window runs on Linux.
void MainWindow::show_version_line() {
    for (const BuiltControl& built : widgets_->controls()) {
        if (built.control->text == res::kVersionLine) {
            if (auto* label = qobject_cast<QLabel*>(built.widget)) {
                label->setText(to_qstring(simulated_ ? res::kLinuxSimulatedVersionLine
                                                     : res::kLinuxVersionLine));
            }
        }
    }
}

void MainWindow::initialise() {
    create_controls();
    if (dialog_ != nullptr) {
        const WaitCursor wait;
        dialog_->on_init_dialog();
    }
    if (QWidget* first = widgets_->first_tab_stop()) {
        first->setFocus(Qt::OtherFocusReason);
    }
    centre_in_work_area();
}

void MainWindow::centre_in_work_area() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    move(area.x() + (area.width() - frame.width()) / 2,
         area.y() + (area.height() - frame.height()) / 2);
}

void MainWindow::command(int control_id) {
    if (dialog_ == nullptr) {
        return;
    }
    const WaitCursor wait;
    dialog_->on_command(control_id, kBnClicked);
}

void MainWindow::scroll() {
    if (dialog_ != nullptr) {
        dialog_->on_slider_scroll();
    }
}

void MainWindow::set_icon(IconKind /*kind*/, IconHandle icon) {
    // One window icon carries both sizes; the system picks the one it needs.
    if (icon != nullptr) {
        setWindowIcon(IconLibrary::icon(icon));
    }
}

void MainWindow::paintEvent(QPaintEvent* event) {
    if (dialog_ == nullptr) {
        QDialog::paintEvent(event);
        return;
    }
    paint_event_ = event;
    dialog_->on_paint();
    painter_.reset();
    paint_event_ = nullptr;
}

void MainWindow::begin_paint() {
    painter_.emplace(this);
}

void MainWindow::erase_icon_background() {
    if (painter_) {
        painter_->fillRect(rect(), palette().brush(backgroundRole()));
    }
}

PixelSize MainWindow::system_icon_size() const {
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    return {size, size};
}

void MainWindow::draw_icon(IconHandle icon, int x, int y) {
    if (painter_ && icon != nullptr) {
        const PixelSize size = system_icon_size();
        IconLibrary::icon(icon).paint(&*painter_, QRect(x, y, size.width, size.height));
    }
}

void MainWindow::default_paint() {
    if (paint_event_ != nullptr) {
        QDialog::paintEvent(paint_event_);
    }
}

}  // namespace vantrel::qt
