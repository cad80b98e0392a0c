#pragma once

#include <memory>
#include <string>

#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"

namespace vantrel::cli {

// The machine a command works on: its ports, the sleeps of the bus, its processor and timing.
struct Machine {
    PortIo& io;
    Sleeper& sleeper;
    CpuInstructions& cpu;
    SystemTiming& timing;
};

// A machine held open for one command: access granted and kept (lock, ports) while it lives.
class OpenMachine {
  public:
    virtual ~OpenMachine() = default;
    virtual Machine machine() = 0;
};

// This computer's own hardware on Linux, or nullptr with `message` saying why it was refused
// and what to do. Nothing on the bus is touched here; a note for the user may come with
// success.
std::unique_ptr<OpenMachine> open_this_machine(std::string& message);

}  // namespace vantrel::cli
