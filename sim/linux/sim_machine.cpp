// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/linux/sim_machine.h"

#include "bus/smbus_backend.h"
#include "platform/linux/text_file.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"

namespace vantrel::sim {

namespace {

class LinuxSimulatedMachine : public SimulatedMachine {
  public:
    using SimulatedMachine::SimulatedMachine;
    // The kernel path's bus closes its node on the way out, so it goes before the node does.
    ~LinuxSimulatedMachine() override { reach_bus(nullptr, {}, {}); }
    LinuxSimulatedMachine(const LinuxSimulatedMachine&) = delete;
    LinuxSimulatedMachine& operator=(const LinuxSimulatedMachine&) = delete;

    void reach_through_kernel() {
        node_.attach(kClockChipAddress, board().chip());
        for (const Fault& fault : options().faults) {
            node_.inject(fault);
        }
        const MachineRecords& r = records();
        platform::BusChoice choice = platform::choose_bus(
            platform::BusRequest::Kernel,
            simulated_smbus_sysfs(board().pci().hub_id(), board().pci().smbus_base()), node_,
            {sleeper(), r.controller, r.device_address, r.shadow});
        std::string path = platform::bus_path_name(choice);
        if (choice.path != platform::BusPath::Kernel) {
            reach_bus(std::make_unique<NoSmbusBackend>(r.controller, r.shadow), std::move(path),
                      choice.refusal);
            return;
        }
        reach_bus(std::move(choice.kernel), std::move(path), {});
    }

  private:
    SimulatedI2cDev node_;
};

}  // namespace

std::unique_ptr<SimulatedMachine> make_simulated_machine(const BoardOptions& options,
                                                         platform::BusRequest request,
                                                         Sleeper& real,
                                                         const MachineRecords& records,
                                                         std::string& error) {
    auto machine = std::make_unique<LinuxSimulatedMachine>(records, real);
    if (!machine->make(options, platform::read_small_file, error)) {
        return nullptr;
    }
    // No kernel driver holds a simulated hub unless asked to.
    if (request == platform::BusRequest::Kernel) {
        machine->reach_through_kernel();
    }
    return machine;
}

}  // namespace vantrel::sim
