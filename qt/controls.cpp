// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "qt/qstring_text.h"

namespace vantrel::qt {

std::string WidgetControls::text(int id) const {
    QString text;
    if (const auto* edit = find<QLineEdit>(id)) {
        text = edit->text();
    } else if (const auto* button = find<QAbstractButton>(id)) {
        text = button->text();
    } else if (const auto* combo = find<QComboBox>(id)) {
        text = combo->currentText();
    } else if (const auto* label = find<QLabel>(id)) {
        text = label->text();
    } else if (const auto* group = find<QGroupBox>(id)) {
        text = group->title();
    }
    return text.toStdString();
}

void WidgetControls::set_text(int id, std::string_view text) {
    const QString value = to_qstring(text);
    if (auto* edit = find<QLineEdit>(id)) {
        edit->setText(value);
    } else if (auto* button = find<QAbstractButton>(id)) {
        button->setText(value);
    } else if (auto* label = find<QLabel>(id)) {
        label->setText(value);
    } else if (auto* group = find<QGroupBox>(id)) {
        group->setTitle(value);
    }
}

int WidgetControls::selection(int id) const {
    const auto* combo = find<QComboBox>(id);
    return combo != nullptr && combo->currentIndex() >= 0 ? combo->currentIndex() : kCbErr;
}

void WidgetControls::select(int id, int index) {
    if (auto* combo = find<QComboBox>(id)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

int WidgetControls::check_state(int id) const {
    const auto* box = find<QCheckBox>(id);
    if (box == nullptr) {
        return kBstUnchecked;
    }
    switch (box->checkState()) {
        case Qt::Checked:
            return kBstChecked;
        case Qt::PartiallyChecked:
            return kBstIndeterminate;
        case Qt::Unchecked:
            break;
    }
    return kBstUnchecked;
}

void WidgetControls::set_check_state(int id, int state) {
    auto* box = find<QCheckBox>(id);
    if (box == nullptr) {
        return;
    }
    if (state == kBstIndeterminate) {
        box->setCheckState(Qt::PartiallyChecked);
        return;
    }
    box->setTristate(false);
    box->setCheckState(state == kBstUnchecked ? Qt::Unchecked : Qt::Checked);
}

bool WidgetControls::enabled(int id) const {
    const QWidget* control = widget(id);
    return control != nullptr && control->isEnabled();
}

void WidgetControls::enable(int id, bool on) {
    if (QWidget* control = widget(id)) {
        control->setEnabled(on);
    }
}

int WidgetControls::slider_minimum(int id) const {
    const auto* slider = find<QSlider>(id);
    return slider != nullptr ? slider->minimum() : 0;
}

int WidgetControls::slider_maximum(int id) const {
    const auto* slider = find<QSlider>(id);
    return slider != nullptr ? slider->maximum() : 0;
}

void WidgetControls::set_slider_minimum(int id, int minimum) {
    if (auto* slider = find<QSlider>(id)) {
        slider->setMinimum(minimum);
    }
}

void WidgetControls::set_slider_maximum(int id, int maximum) {
    if (auto* slider = find<QSlider>(id)) {
        slider->setMaximum(maximum);
    }
}

void WidgetControls::set_slider_tick_frequency(int id, int frequency) {
    if (auto* slider = find<QSlider>(id)) {
        slider->setTickInterval(frequency);
    }
}

int WidgetControls::slider_position(int id) const {
    // The thumb's own position: during a user's drag or key step it runs ahead of value().
    const auto* slider = find<QSlider>(id);
    return slider != nullptr ? slider->sliderPosition() : 0;
}

void WidgetControls::set_slider_position(int id, int position) {
    // setValue clamps to the range and emits no user action, so no scroll event comes back.
    if (auto* slider = find<QSlider>(id)) {
        slider->setValue(position);
    }
}

}  // namespace vantrel::qt
