// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "res/dialog_templates.h"
#include "support/param_name.h"
#include "ui/memory_dialog_controls.h"

// The in-memory controls run the dialog logic of the command-line program, where no test is
// there to catch a wrong call: such a call must change nothing and say what it was.

namespace vantrel {
namespace {

using test::PrintTo;

class WatchedControls : public MemoryDialogControls {
  public:
    WatchedControls() : MemoryDialogControls(res::kMainDialog) {}
    std::vector<std::string> misuses;
    std::vector<std::string> changes;

  protected:
    void misuse(const std::string& what) const override {
        const_cast<WatchedControls*>(this)->misuses.push_back(what);
    }
    void changed(const char* operation, int id, const std::string& value) override {
        changes.push_back(std::string(operation) + " " + std::to_string(id) + " " + value);
    }
};

struct MisuseCase {
    const char* label;
    std::function<void(WatchedControls&)> call;
    const char* misuse;
};

class ControlMisuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(ControlMisuse, ChangesNothingAndSaysWhat) {
    WatchedControls controls;
    controls.select(IDC_DELAY_CPU, 2);
    controls.set_text(IDC_FREQ_EDIT, "133 ");
    controls.changes.clear();
    GetParam().call(controls);
    EXPECT_EQ(controls.misuses, std::vector<std::string>{GetParam().misuse});
    EXPECT_TRUE(controls.changes.empty());
    EXPECT_EQ(controls.selection(IDC_DELAY_CPU), 2);
    EXPECT_EQ(controls.text(IDC_FREQ_EDIT), "133 ");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ControlMisuse,
    ::testing::Values(
        MisuseCase{"TextOfMissingId", [](WatchedControls& c) { c.set_text(4711, "x"); },
                   "no control with ID 4711"},
        MisuseCase{"SelectAnEditBox", [](WatchedControls& c) { c.select(IDC_FREQ_EDIT, 1); },
                   "control 1012 is an edit box, not a drop-down list"},
        MisuseCase{"CheckAList",
                   [](WatchedControls& c) { c.set_check_state(IDC_DELAY_CPU, kBstChecked); },
                   "control 1015 is a drop-down list, not a check box"},
        MisuseCase{"SliderOnAButton",
                   [](WatchedControls& c) { c.set_slider_position(IDC_RUN_SETTINGS, 3); },
                   "control 1011 is a push button, not a trackbar"},
        MisuseCase{"ReadSelectionOfMissingId",
                   [](WatchedControls& c) { EXPECT_EQ(c.selection(99), kCbErr); },
                   "no control with ID 99"},
        MisuseCase{"EnableMissingId", [](WatchedControls& c) { c.enable(99, false); },
                   "no control with ID 99"}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
