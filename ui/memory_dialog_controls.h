// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "res/dialog_templates.h"
#include "ui/dialog_controls.h"

namespace vantrel {

// A dialog's controls held in memory, made from its template, with the Win32 controls' rules:
// a list selection past the last item (or a negative one) clears it, a slider clamps its
// position to its range (default range 0-100, position 0) and a new range limit pulls the
// position in, a new control is enabled, unchecked and holds its template text. For a program
// that runs the dialog logic without a window, and for tests.
//
// An ID the template does not have, or an operation the control's kind does not take, changes
// nothing and reads as an empty control; misuse() hears of it.
class MemoryDialogControls : public DialogControls {
  public:
    explicit MemoryDialogControls(const res::DialogTemplate& dialog);

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

  protected:
    // A call the controls cannot take, in words.
    virtual void misuse(const std::string& what) const { (void)what; }
    // Every change, after it is made: the operation, the control and the value given.
    virtual void changed(const char* operation, int id, const std::string& value) {
        (void)operation;
        (void)id;
        (void)value;
    }

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

    // The control, or nullptr (after telling misuse()) when there is none of that kind.
    const Control* find(int id) const;
    const Control* find(int id, res::ControlKind kind) const;
    Control* find(int id, res::ControlKind kind);
    Control* find(int id);

    std::map<int, Control> controls_;
};

}  // namespace vantrel
