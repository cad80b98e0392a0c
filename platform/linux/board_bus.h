#pragma once

#include <memory>
#include <span>
#include <string>

#include "bus/smbus_backend.h"
#include "platform/linux/bus_choice.h"
#include "platform/linux/hardware_access.h"
#include "platform/linux/i2c_dev_system.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/privilege_drop.h"
#include "platform/linux/sim_i2c_dev.h"
#include "sim/fault_plan.h"
#include "sim/sim_board.h"

namespace vantrel::platform {

// The way a Linux program reaches its board's SMBus, chosen once before any window or command
// and held for the whole run: the open i2c-dev node, or the port grants and instance lock. Both
// programs use it, so that they choose the same way and say the same things.
class BoardBus {
  public:
    // This machine. Chooses the path from sysfs; on the kernel path opens the node, on the port
    // path makes the checks, port grants and instance lock; on every path gives up root. Ready
    // with a note or nothing in `message`; Refused with why (the backend then finds nothing);
    // AlreadyRunning (the lock file, or the node's lock) or CannotDropRoot with why, and no
    // backend.
    HardwareAccessStatus open_machine(BusRequest request, LinuxPortIo& io, I2cDevSystem& i2c_dev,
                                      const BusRecords& records, std::string& message,
                                      const PrivilegeSystem& privileges = real_privilege_system());

    // A simulated board: its ports, unless the kernel path is asked for. That goes through a
    // simulated i2c-dev node in front of the board's hub, chosen as on a machine whose kernel
    // holds that hub, with `faults` injected there instead of at the ports. On refusal returns
    // false with why in `refusal`; the backend then finds nothing.
    bool open_simulated(BusRequest request, sim::SimBoard& board,
                        std::span<const sim::Fault> faults, const BusRecords& records,
                        std::string& refusal);

    // Null until a choice is made.
    SmbusBackend* backend() { return backend_.get(); }
    // "kernel i2c-dev /dev/i2c-N" or "direct port I/O"; empty when the bus was refused.
    const std::string& path() const { return path_; }
    // Why the program's own choice went to the ports, or empty.
    const std::string& reason() const { return reason_; }
    // What giving up root left to say when the bus was refused, or empty.
    const std::string& note() const { return note_; }

  private:
    HardwareAccess access_;  // holds the instance lock on the port path
    SimulatedI2cDev simulated_;
    std::unique_ptr<SmbusBackend> backend_;
    std::string path_;
    std::string reason_;
    std::string note_;
};

}  // namespace vantrel::platform
