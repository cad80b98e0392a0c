#include "platform/linux/board_bus.h"

#include "platform/linux/smbus_sysfs.h"

namespace vantrel::platform {

HardwareAccessStatus BoardBus::open_machine(BusRequest request, LinuxPortIo& io,
                                            I2cDevSystem& i2c_dev, const BusRecords& records,
                                            std::string& message,
                                            const PrivilegeSystem& privileges) {
    BusChoice choice = choose_bus(request, read_smbus_sysfs("/sys"), i2c_dev, records);
    path_ = bus_path_name(choice);
    reason_ = choice.reason;
    if (choice.path == BusPath::Ports) {
        access_ = prepare_hardware_access({}, io, privileges, message);
        if (access_.status == HardwareAccessStatus::Ready) {
            backend_ = std::make_unique<PortSmbusBackend>(io, records.sleeper, records.controller,
                                                          records.device, records.shadow);
        } else if (access_.status == HardwareAccessStatus::Refused) {
            path_.clear();
            backend_ = std::make_unique<NoSmbusBackend>(records.controller, records.shadow);
        }
        return access_.status;
    }
    if (choice.path == BusPath::Kernel) {
        // The node is open: nothing after this needs root.
        backend_ = std::move(choice.kernel);
    } else {
        backend_ = std::make_unique<NoSmbusBackend>(records.controller, records.shadow);
    }
    const HardwareAccessStatus dropped = give_up_root(privileges, message);
    if (dropped != HardwareAccessStatus::Ready) {
        backend_.reset();
        path_.clear();
        return dropped;
    }
    if (choice.path == BusPath::None) {
        note_ = message;
        message = choice.refusal;
        if (choice.held_elsewhere) {
            backend_.reset();
            return HardwareAccessStatus::AlreadyRunning;
        }
        return HardwareAccessStatus::Refused;
    }
    return HardwareAccessStatus::Ready;
}

bool BoardBus::open_simulated(BusRequest request, sim::SimBoard& board,
                              std::span<const sim::Fault> faults, const BusRecords& records,
                              std::string& refusal) {
    if (request != BusRequest::Kernel) {
        // No kernel driver holds a simulated hub unless asked to.
        backend_ = std::make_unique<PortSmbusBackend>(board, records.sleeper, records.controller,
                                                      records.device, records.shadow);
        path_ = "direct port I/O";
        return true;
    }
    simulated_.attach(kClockChipAddress, board.chip());
    for (const sim::Fault& fault : faults) {
        simulated_.inject(fault);
    }
    BusChoice choice =
        choose_bus(request, simulated_smbus_sysfs(board.pci().hub_id(), board.pci().smbus_base()),
                   simulated_, records);
    path_ = bus_path_name(choice);
    if (choice.path != BusPath::Kernel) {
        refusal = choice.refusal;
        backend_ = std::make_unique<NoSmbusBackend>(records.controller, records.shadow);
        return false;
    }
    backend_ = std::move(choice.kernel);
    return true;
}

}  // namespace vantrel::platform
