#include "qt/template_widgets.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <algorithm>

#include "qt/auto_check_box.h"
#include "qt/dialog_font.h"
#include "qt/digits_only_filter.h"
#include "qt/trackbar.h"

namespace vantrel::qt {

namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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
