// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <memory>
#include <string>

#include "bus/sleeper.h"
#include "platform/linux/bus_choice.h"
#include "sim/board_options.h"
#include "sim/simulated_machine.h"

namespace vantrel::sim {

// The simulated board as a Linux program reaches it: its ports, unless the kernel path is asked
// for. That goes through a simulated i2c-dev node in front of the board's hub, chosen as on a
// machine whose kernel holds that hub, with the options' faults injected there instead of at the
// ports; a refusal on the way is the machine's refusal(). nullptr when the options or their
// register dump cannot be used, with why.
std::unique_ptr<SimulatedMachine> make_simulated_machine(const BoardOptions& options,
                                                         platform::BusRequest request,
                                                         Sleeper& real,
                                                         const MachineRecords& records,
                                                         std::string& error);

}  // namespace vantrel::sim
