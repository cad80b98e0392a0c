// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

#include "qt/qstring_text.h"

namespace vantrel::qt {

namespace {

// The 52 letters whose average width is the horizontal base unit.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace

QFont template_font(const res::DialogTemplate& dialog) {
    QFont font(to_qstring(dialog.font_face));
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

void apply_3d_look() {
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
        return;
    }
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
        QApplication::setStyle(style);
    }
}

void AutoCheckBox::nextCheckState() {
    const bool was_checked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(was_checked ? Qt::Unchecked : Qt::Checked);
}

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

namespace {

constexpr int kDefaultMaximum = 100;
constexpr int kPageFraction = 5;

}  // namespace

Trackbar::Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, kDefaultMaximum);
    setValue(0);
    setSingleStep(1);
}

void Trackbar::keyPressEvent(QKeyEvent* event) {
    SliderAction action = SliderNoAction;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = SliderSingleStepSub;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = SliderToMinimum;
            break;
        case Qt::Key_End:
            action = SliderToMaximum;
            break;
        default:
            event->ignore();
            return;
    }
    triggerAction(action);
    event->accept();
}

void Trackbar::sliderChange(SliderChange change) {
    if (change == SliderRangeChange) {
        setPageStep(std::max(1, (maximum() - minimum()) / kPageFraction));
    }
    QSlider::sliderChange(change);
}

namespace {

// Statics let clicks through to whatever lies beneath, as the dialog manager's hit test does.
void make_static(QWidget& widget) {
    widget.setAttribute(Qt::WA_TransparentForMouseEvents);
    widget.setFocusPolicy(Qt::NoFocus);
}

QWidget* make_list(const res::ControlTemplate& control, QWidget& parent, QRect& rect) {
    auto* combo = new QComboBox(&parent);
    for (const std::string_view item : control.items) {
        combo->addItem(to_qstring(item));
    }
    // A list starts without a selection; adding the first item would otherwise select it.
    combo->setCurrentIndex(-1);
    // The template's height is that of the dropped list: the closed box takes the widget's own
    // height and the rest shows as many items as fit.
    const int dropped = rect.height();
    const int closed = combo->sizeHint().height();
    const int item = std::max(1, QFontMetrics(parent.font()).height());
    combo->setMaxVisibleItems(std::max(1, (dropped - closed) / item));
    rect.setHeight(closed);
    return combo;
}

QWidget* make_edit(const res::ControlTemplate& control, QWidget& parent) {
    auto* edit = new QLineEdit(&parent);
    edit->setFrame((control.style & res::kStyleBorder) != 0);
    if ((control.style & res::kStyleReadOnly) != 0) {
        edit->setReadOnly(true);
        // A read-only edit box shows on the dialog's own background.
        QPalette palette = edit->palette();
        palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
        edit->setPalette(palette);
    }
    if ((control.style & res::kStyleDigitsOnly) != 0) {
        edit->installEventFilter(new DigitsOnlyFilter(edit));
    }
    return edit;
}

QWidget* make_trackbar(const res::ControlTemplate& control, QWidget& parent) {
    auto* slider = new Trackbar(&parent);
    if ((control.style & res::kStyleAutoTicks) != 0) {
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(1);
    }
    return slider;
}

}  // namespace

TemplateWidgets::TemplateWidgets(const res::DialogTemplate& dialog, QWidget& parent,
                                 IconLibrary& icons)
    : units_(template_base_units(dialog)) {
    const PixelRect client = dialog_client_pixels(dialog, units_);
    client_ = QSize(client.width, client.height);
    parent.setFont(template_font(dialog));

    QWidget* previous_tab_stop = nullptr;
    for (const res::ControlTemplate& control : dialog.controls) {
        QWidget* widget = make(control, parent, icons);
        widget->setProperty(kControlIdProperty, control.id);
        controls_.push_back({&control, widget});
        if ((control.style & res::kStyleTabStop) != 0) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previous_tab_stop != nullptr) {
                QWidget::setTabOrder(previous_tab_stop, widget);
            }
            previous_tab_stop = widget;
        }
    }
    // Group boxes frame the controls they surround and lie beneath them.
    for (const BuiltControl& built : controls_) {
        if (built.control->kind == res::ControlKind::GroupBox) {
            built.widget->lower();
        }
    }
}

QWidget* TemplateWidgets::make(const res::ControlTemplate& control, QWidget& parent,
                               IconLibrary& icons) {
    const PixelRect px = dialog_to_pixels(control.rect, units_);
    QRect rect(px.x, px.y, px.width, px.height);
    const QString text = to_qstring(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
        case res::ControlKind::PushButton: {
            auto* button = new QPushButton(text, &parent);
            button->setDefault((control.style & res::kStyleDefaultButton) != 0);
            widget = button;
            break;
        }
        case res::ControlKind::DropDownList:
            widget = make_list(control, parent, rect);
            break;
        case res::ControlKind::Edit:
            widget = make_edit(control, parent);
            // Without a tab stop an edit box is still reached by clicking into it.
            widget->setFocusPolicy(Qt::ClickFocus);
            break;
        case res::ControlKind::Trackbar:
            widget = make_trackbar(control, parent);
            break;
        case res::ControlKind::CheckBox:
            widget = new AutoCheckBox(text, &parent);
            break;
        case res::ControlKind::GroupBox: {
            auto* group = new QGroupBox(text, &parent);
            group->setAlignment(Qt::AlignLeft);
            make_static(*group);
            widget = group;
            break;
        }
        case res::ControlKind::Label: {
            auto* label = new QLabel(text, &parent);
            label->setTextFormat(Qt::PlainText);
            // A static text wraps at word breaks when its rectangle holds more than one line;
            // a one-line label is not wrapped, so that a text exactly as wide as its place
            // (fractional glyph widths round up) keeps its last word.
            label->setWordWrap(rect.height() >= 2 * QFontMetrics(parent.font()).height());
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            make_static(*label);
            widget = label;
            break;
        }
        case res::ControlKind::Icon: {
            // An icon control takes the icon's own size, whatever the template says.
            auto* label = new QLabel(&parent);
            const int size = parent.style()->pixelMetric(QStyle::PM_LargeIconSize);
            if (const IconHandle handle = icons.handle(control.icon_resource)) {
                label->setPixmap(IconLibrary::icon(handle).pixmap(size, size));
            }
            rect.setSize(QSize(size, size));
            make_static(*label);
            widget = label;
            break;
        }
    }
    widget->setGeometry(rect);
    return widget;
}

QWidget* TemplateWidgets::widget(int id) const {
    if (id == kIdStatic) {
        return nullptr;
    }
    for (const BuiltControl& built : controls_) {
        if (built.control->id == id) {
            return built.widget;
        }
    }
    return nullptr;
}

QWidget* TemplateWidgets::first_tab_stop() const {
    for (const BuiltControl& built : controls_) {
        if ((built.control->style & res::kStyleTabStop) != 0 && built.widget->isEnabled() &&
            !built.widget->isHidden()) {
            return built.widget;
        }
    }
    return nullptr;
}

}  // namespace vantrel::qt
