// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/fake_dialog_controls.h"

#include <gtest/gtest.h>

namespace vantrel::test {

void FakeDialogControls::misuse(const std::string& what) const {
    ADD_FAILURE() << what;
}

}  // namespace vantrel::test
