#include "support/dialog_harness.h"

#include <gtest/gtest.h>

namespace vantrel::test {

std::unique_ptr<platform::I2cDevBus> DialogHarness::open_kernel_bus() {
    if (bus_kind != BusKind::Kernel) {
        return nullptr;
    }
    i2c_dev.attach(kClockChipAddress, board.chip());
    const auto sysfs =
        platform::simulated_smbus_sysfs(board.pci().hub_id(), board.pci().smbus_base());
    platform::BusChoice choice =
        platform::choose_bus(platform::BusRequest::Kernel, sysfs, i2c_dev,
                             {board.time(), controller, device_address, shadow});
    EXPECT_EQ(choice.path, platform::BusPath::Kernel) << choice.refusal;
    return std::move(choice.kernel);
}

const std::vector<sim::TransferRecord>& DialogHarness::transfers() {
    return bus_kind == BusKind::Kernel ? i2c_dev.transfers() : board.smbus().transfers();
}

void DialogHarness::init() {
    EXPECT_TRUE(dialog.on_init_dialog());
    controls.clear_log();
    messages.clear();
    transfers_at_init_ = transfers().size();
}

std::vector<sim::TransferRecord> DialogHarness::new_transfers() {
    const auto& all = transfers();
    return {all.begin() + static_cast<std::ptrdiff_t>(transfers_at_init_), all.end()};
}

void DialogHarness::fail_next(sim::TransferKind kind, std::uint8_t reg, unsigned n,
                              sim::FaultAction action) {
    sim::Fault fault = sim::Fault::on_register(kind, reg, action);
    fault.occurrence = n;
    if (bus_kind == BusKind::Kernel) {
        i2c_dev.inject(fault);
    } else {
        board.smbus().inject(fault);
    }
}

}  // namespace vantrel::test
