#pragma once

#include "qt/template_widgets.h"
#include "ui/dialog_controls.h"

namespace vantrel::qt {

// The dialog logic's view of a window's controls, over real widgets. Before the widgets exist,
// or for an ID the window does not have, or an operation its kind does not take, a call does
// nothing and answers as an empty control would, as a message to a missing control does.
class WidgetControls : public DialogControls {
  public:
    void attach(const TemplateWidgets* widgets) { widgets_ = widgets; }

    std::string text(int id) const override;
    void set_text(int id, std::string_view text) override;

    int selection(int id) const override;
    void select(int id, int index) override;

    int check_state(int id) const override;
    void set_check_state(int id, int state) override;

    bool enabled(int id) const override;
    void enable(int id, bool on) override;

    int slider_minimum(int id) const override;
    int slider_maximum(int id) const override;
    void set_slider_minimum(int id, int minimum) override;
    void set_slider_maximum(int id, int maximum) override;
    void set_slider_tick_frequency(int id, int frequency) override;
    int slider_position(int id) const override;
    void set_slider_position(int id, int position) override;

  private:
    QWidget* widget(int id) const { return widgets_ != nullptr ? widgets_->widget(id) : nullptr; }
    template <class Widget>
    Widget* find(int id) const {
        return qobject_cast<Widget*>(widget(id));
    }

    const TemplateWidgets* widgets_ = nullptr;
};

}  // namespace vantrel::qt
