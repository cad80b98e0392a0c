// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

#include "platform/linux/access/privilege_drop.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/linux_port_io.h"

namespace vantrel::platform {

// The SMBus function of the I/O controller hub: bus 0, device 31, function 3.
inline constexpr const char* kSmbusPciFunction = "0000:00:1f.3";

struct HardwareAccessOptions {
    std::string sysfs_root = "/sys";
    std::string lock_path = kDefaultLockPath;
};

enum class HardwareAccessStatus {
    Ready,           // ports granted, lock held, no longer root
    Refused,         // no port granted; go on without hardware (the dialog's "no controller" state)
    AlreadyRunning,  // another instance drives the hardware: say so and exit
    CannotDropRoot,  // still privileged: exit before any window exists
};

// In this order, each refusal naming its cause and the fix: a build for a processor without I/O
// ports; a kernel without ioperm; kernel lockdown; the kernel's own SMBus driver bound to the
// controller (read from sysfs only); no CAP_SYS_RAWIO (not root); another instance (`lock`).
// Then grants 0xCF8-0xCFF and the SMBus I/O block the kernel assigned to the controller (from
// sysfs: a block the kernel does not know is left unreachable, with a note). No port is read or
// written here; on refusal the caller revokes what was granted.
HardwareAccessStatus check_and_grant_ports(const HardwareAccessOptions& options, LinuxPortIo& io,
                                           const PrivilegeSystem& privileges, InstanceLock& lock,
                                           std::string& message, std::string& note);

}  // namespace vantrel::platform
