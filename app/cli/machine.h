#pragma once

#include <memory>
#include <string>

#include "app/core/program_records.h"
#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "bus/smbus_backend.h"
#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"
#include "platform/linux/bus_choice.h"

namespace vantrel::cli {

// The machine a command works on: its ports, the sleeps of the bus, its processor and timing,
// and the way its SMBus is reached. The records are the command's, made before the way to the
// bus is opened, since that way keeps them.
struct Machine {
    PortIo& io;
    Sleeper& sleeper;
    CpuInstructions& cpu;
    SystemTiming& timing;
    SmbusBackend& backend;
    ProgramRecords& records;
    // "kernel i2c-dev /dev/i2c-N" or "direct port I/O".
    std::string bus_path;
};

// A machine held open for one command: access granted and kept (node, lock, ports) while it
// lives.
class OpenMachine {
  public:
    virtual ~OpenMachine() = default;
    virtual Machine machine() = 0;
};

// This computer's own hardware on Linux, its bus reached as `request` says or as the kernel
// allows, or nullptr with `message` saying why it was refused and what to do. Root is given up
// on the way. Nothing on the bus is touched here; a note for the user may come with success.
std::unique_ptr<OpenMachine> open_this_machine(platform::BusRequest request,
                                               ProgramRecords& records, std::string& message);

}  // namespace vantrel::cli
