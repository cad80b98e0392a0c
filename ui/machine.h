// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

#include "bus/sleeper.h"
#include "bus/smbus_backend.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"

namespace vantrel {

// The program-wide records a machine's bus works on, owned by the program.
struct MachineRecords {
    SmbusController& controller;
    const DeviceAddress& device_address;
    RegisterShadow& shadow;
};

// What the main dialog works on: the way to the clock chip's bus, the pauses of its transfers,
// the processor it measures and the clock it measures with. A front end makes one before any
// window and keeps it for the whole run; what it holds open (a node, a lock, port grants) stays
// open while it lives.
class Machine {
  public:
    virtual ~Machine() = default;

    // Work on the records the machine was made with.
    virtual SmbusBackend& backend() = 0;
    virtual Sleeper& sleeper() = 0;
    virtual CpuInstructions& cpu() = 0;
    virtual SystemTiming& timing() = 0;

    // How the bus is reached, in words ("kernel i2c-dev /dev/i2c-0", "direct port I/O"), or
    // empty when it may not be.
    const std::string& bus_path() const { return bus_path_; }
    // Why the bus may not be used, with the fix, or empty. The backend then finds nothing, so
    // the dialog opens in its "no controller" state.
    const std::string& refusal() const { return refusal_; }
    // What the user should still be told about the machine, in order.
    const std::vector<std::string>& notes() const { return notes_; }
    // Whether this is a simulated board rather than the computer the program runs on.
    virtual bool simulated() const { return false; }

  protected:
    Machine() = default;
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    std::string bus_path_;
    std::string refusal_;
    std::vector<std::string> notes_;
};

}  // namespace vantrel
