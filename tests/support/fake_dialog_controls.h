#pragma once

#include <map>
#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "ui/dialog_controls.h"

namespace vantrel::test {

// In-memory controls built from a dialog template, with the Win32 controls' rules: a list
// selection past the last item clears it, a slider clamps its position to its range (default
// range 0-100, position 0), a new control is enabled and unchecked. Using an ID the template
// does not have, or an operation the control's kind does not take, fails the test.
class FakeDialogControls : public DialogControls {
  public:
    explicit FakeDialogControls(const res::DialogTemplate& dialog);

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

    int slider_tick_frequency(int id) const;
    int item_count(int id) const;
    // The user's own hand on a control: typing, picking, ticking, dragging.
    void type(int id, std::string_view text) { set_text(id, text); }

    // Every changing call, in order, as "operation id value", for tests of order.
    const std::vector<std::string>& log() const { return log_; }
    void clear_log() { log_.clear(); }

  private:
    struct Control {
        res::ControlKind kind;
        std::string text;
        int items = 0;
        int selection = kCbErr;
        int check = kBstUnchecked;
        bool enabled = true;
        int minimum = 0;
        int maximum = 100;
        int position = 0;
        int tick_frequency = 1;
    };

    const Control& at(int id, res::ControlKind kind) const;
    Control& at(int id, res::ControlKind kind);
    const Control& any(int id) const;
    void record(const char* operation, int id, const std::string& value);

    std::map<int, Control> controls_;
    std::vector<std::string> log_;
};

}  // namespace vantrel::test
