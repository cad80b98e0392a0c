// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QGuiApplication>

#include "qt/widgets.h"
#include "ui/dialog_controls.h"

namespace vantrel::qt {

// The busy cursor while the program works on the bus: the window takes no input and does not
// repaint until the work is done, so the cursor is all that says it is working.
class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// An arrow over a message box that interrupts busy work, restored when the box closes.
class ArrowCursor {
  public:
    ArrowCursor() : active_(QGuiApplication::overrideCursor() != nullptr) {
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~ArrowCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;

  private:
    bool active_;
};

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
