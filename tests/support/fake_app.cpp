// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/fake_app.h"

#include <gtest/gtest.h>

namespace vantrel::test {

int FakeCautionNotice::run() {
    ++runs_;
    if (!showable_) {
        return kCautionFailed;
    }
    window_.reopen();
    EXPECT_EQ(caution_proc(window_, kWmInitDialog, 0, 0), 1);
    for (const auto& step : steps_) {
        if (step.kind == CautionStep::Kind::SetCheck) {
            window_.set_check(step.check);
            continue;
        }
        EXPECT_EQ(caution_proc(window_, step.message, step.wparam, 0), 1);
        if (window_.result()) {
            return *window_.result();
        }
    }
    ADD_FAILURE() << "the caution notice is still open after the last step";
    return kCautionFailed;
}

void FakeDialogFramework::run_modal(MainDialog& dialog) {
    ++modal_runs_;
    dialog.on_init_dialog();
    if (user_) {
        user_(dialog);
    }
}

}  // namespace vantrel::test
