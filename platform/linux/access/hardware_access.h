// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

#include "platform/linux/access/port_access_checks.h"
#include "platform/linux/access/privilege_drop.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/linux_port_io.h"

namespace vantrel::platform {

struct HardwareAccess {
    HardwareAccessStatus status = HardwareAccessStatus::Refused;
    InstanceLock lock;
    bool ready() const { return status == HardwareAccessStatus::Ready; }
};

// What a front end calls on Linux before any port access and before any toolkit object exists:
// the checks and grants of check_and_grant_ports, then, whatever their outcome, giving up root
// through `privileges` (drop_privileges); the port grants outlive it. A refusal leaves no port
// granted and no lock held. `error` says why when the status is not Ready; on Ready `note` is
// empty or a note for the terminal.
HardwareAccess prepare_hardware_access(const HardwareAccessOptions& options, LinuxPortIo& io,
                                       const PrivilegeSystem& privileges, std::string& error,
                                       std::string& note);

// For a program that reaches the bus without ports (the kernel's i2c-dev node, already open, or
// no bus at all): gives up root for the invoking user exactly as above, and nothing else. Ready,
// with a note or nothing in `note`, or CannotDropRoot with why in `error`.
HardwareAccessStatus give_up_root(const PrivilegeSystem& system, std::string& error,
                                  std::string& note);

}  // namespace vantrel::platform
