#pragma once

#include <QSize>
#include <QWidget>
#include <vector>

#include "qt/icon_library.h"
#include "res/dialog_templates.h"
#include "ui/dialog_units.h"

namespace vantrel::qt {

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
