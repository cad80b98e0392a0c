// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/dialog_harness.h"

#include <gtest/gtest.h>

namespace vantrel::test {

void DialogHarness::init() {
    EXPECT_TRUE(dialog.on_init_dialog());
    controls.clear_log();
    messages.clear();
    transfers_at_init_ = board.smbus().transfers().size();
}

std::vector<sim::TransferRecord> DialogHarness::new_transfers() {
    const auto& all = board.smbus().transfers();
    return {all.begin() + static_cast<std::ptrdiff_t>(transfers_at_init_), all.end()};
}

void DialogHarness::fail_next(sim::TransferKind kind, std::uint8_t reg, unsigned n,
                              sim::FaultAction action) {
    sim::Fault fault = sim::Fault::on_register(kind, reg, action);
    fault.occurrence = n;
    board.smbus().inject(fault);
}

}  // namespace vantrel::test
