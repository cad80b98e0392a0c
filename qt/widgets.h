// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QCheckBox>
#include <QFont>
#include <QObject>
#include <QSize>
#include <QSlider>
#include <QWidget>
#include <vector>

#include "qt/pictures.h"
#include "res/dialog_templates.h"
#include "ui/dialog_units.h"

namespace vantrel::qt {

// The template's font, or the closest one installed: fontconfig maps Arial to a
// metric-compatible face such as Liberation Sans.
QFont template_font(const res::DialogTemplate& dialog);

// What the dialog manager measures of a font to size dialog units.
FontMetrics measure_font(const QFont& font);

// The dialog base units of a template as laid out with its own font.
DialogBaseUnits template_base_units(const res::DialogTemplate& dialog);

// The dialog framework's 3-D look for dialog controls: Qt's classic bevelled "Windows" style,
// the look the templates were laid out for. A style the user chose through QT_STYLE_OVERRIDE
// wins.
void apply_3d_look();

// A two-state automatic check box: a click checks a box that is clear or indeterminate and
// clears a checked one. The program may still set the indeterminate state, which a plain
// QCheckBox would then keep cycling through.
class AutoCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override;
};

// Lets only digits be typed into an edit box. Like a Win32 number edit it filters typing, not
// pasting or text the program sets, so the program's own " 99 " stays editable.
class DigitsOnlyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A horizontal slider that behaves as the Win32 trackbar does: a new one runs from 0 to 100 at
// position 0; Left and Up step toward the minimum, Right and Down toward the maximum, Page Up
// and Page Down by a page, Home and End to the ends; the page is a fifth of the range, kept up
// to date as the range changes. Every step is a user action (actionTriggered), never a mere
// value change.
class Trackbar : public QSlider {
  public:
    explicit Trackbar(QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void sliderChange(SliderChange change) override;
};

// One control of a template and the widget made for it.
struct BuiltControl {
    const res::ControlTemplate* control;
    QWidget* widget;
};

// The widgets of a dialog template, made on a parent window in template order: each at the
// place the template gives in dialog units, converted with the template font's base units,
// with its text, its list items and its tab position. The parent owns the widgets.
class TemplateWidgets {
  public:
    // The property on each widget that holds its control ID.
    static constexpr const char* kControlIdProperty = "controlId";

    TemplateWidgets(const res::DialogTemplate& dialog, QWidget& parent, IconLibrary& icons);
    TemplateWidgets(const TemplateWidgets&) = delete;
    TemplateWidgets& operator=(const TemplateWidgets&) = delete;

    // The widget of a control ID; nullptr when the template has none.
    QWidget* widget(int id) const;
    const std::vector<BuiltControl>& controls() const { return controls_; }
    DialogBaseUnits base_units() const { return units_; }
    // The dialog's client area in pixels.
    QSize client_size() const { return client_; }

    // The control the dialog manager focuses first: the first visible, enabled tab stop.
    QWidget* first_tab_stop() const;

  private:
    QWidget* make(const res::ControlTemplate& control, QWidget& parent, IconLibrary& icons);

    DialogBaseUnits units_;
    QSize client_;
    std::vector<BuiltControl> controls_;
};

}  // namespace vantrel::qt
