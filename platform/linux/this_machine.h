// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <memory>
#include <string>

#include "platform/linux/bus_choice.h"
#include "ui/machine.h"

namespace vantrel::platform {

// This computer on Linux, made before any window or command. Chooses the way to the bus as
// `request` says or as the kernel allows: on the kernel path the node is opened, on the port path
// the checks, port grants and instance lock are made; on every path root is given up, and
// nothing on the bus is touched. A machine whose bus is refused still comes back, with its
// refusal(). nullptr, with why, when the program must stop: another instance holds the bus, or
// root cannot be given up.
std::unique_ptr<Machine> make_this_machine(BusRequest request, const MachineRecords& records,
                                           std::string& error);

}  // namespace vantrel::platform
