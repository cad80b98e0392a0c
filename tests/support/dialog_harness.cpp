#include "support/dialog_harness.h"

#include <gtest/gtest.h>

namespace vantrel::test {

namespace {

unsigned count_of(const std::vector<sim::TransferRecord>& records, sim::TransferKind kind,
                  std::uint8_t reg) {
    unsigned n = 0;
    for (const auto& r : records) {
        if (r.kind == kind && r.reg == reg) {
            ++n;
        }
    }
    return n;
}

}  // namespace

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
    // The simulated controller counts transfers of a kind from power-up, and the records are
    // kept from power-up too, so the occurrence is the number seen so far plus n.
    sim::Fault fault = sim::Fault::on_register(kind, reg, action);
    fault.occurrence = count_of(board.smbus().transfers(), kind, reg) + n;
    board.smbus().inject(fault);
}

}  // namespace vantrel::test
