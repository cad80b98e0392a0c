// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "res/dialog_templates.h"
#include "ui/memory_dialog_controls.h"

namespace vantrel::test {

// The in-memory controls with the Win32 rules, for tests: using an ID the template does not
// have, or an operation the control's kind does not take, fails the test, and every change is
// logged.
class FakeDialogControls : public MemoryDialogControls {
  public:
    explicit FakeDialogControls(const res::DialogTemplate& dialog) : MemoryDialogControls(dialog) {}

    // The user's own hand on a control: typing, picking, ticking, dragging.
    void type(int id, std::string_view text) { set_text(id, text); }

    // Every changing call, in order, as "operation id value", for tests of order.
    const std::vector<std::string>& log() const { return log_; }
    void clear_log() { log_.clear(); }

  protected:
    void misuse(const std::string& what) const override;
    void changed(const char* operation, int id, const std::string& value) override {
        log_.push_back(std::string(operation) + " " + std::to_string(id) + " " + value);
    }

  private:
    std::vector<std::string> log_;
};

}  // namespace vantrel::test
