#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/cli/console.h"
#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"

namespace vantrel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // nothing found, or access refused
inline constexpr int kExitUsage = 2;   // a wrong argument

// A machine to read: its ports and the seams the core needs.
struct Machine {
    PortIo& io;
    Sleeper& sleeper;
    CpuInstructions& cpu;
    SystemTiming& timing;
    // Makes the SMBus I/O block reachable once discovery has found its base; false with the
    // reason when it cannot.
    std::function<bool(std::uint16_t base, std::string& error)> reach_smbus;
};

// Prints what the program finds on the machine's bus and in its clock chip, then the chip's
// registers as an i2cdump grid; returns the exit status.
int readout(const Machine& machine, std::string_view title, Console& console);

// What the readout needs from outside besides its arguments.
struct ReadoutEnvironment {
    Console& console;
    Sleeper& real_sleeper;                      // real time, for a board whose pauses are real
    std::function<int(Console&)> read_machine;  // the readout of this machine (--hardware)
};

// The readout program: its arguments (without the program name) in, the exit status out.
int run_readout(std::span<const std::string> args, const ReadoutEnvironment& env);

std::string readout_usage();

}  // namespace vantrel::cli
