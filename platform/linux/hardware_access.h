#pragma once

#include <string>

#include "platform/linux/linux_port_io.h"

namespace vantrel::platform {

// The SMBus function of the I/O controller hub: bus 0, device 31, function 3.
inline constexpr const char* kSmbusPciFunction = "0000:00:1f.3";
inline constexpr const char* kDefaultLockPath = "/run/vantrel.lock";

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

// Only one program drives the bus at a time: an flock on a lock file, held while this object
// lives and released by the kernel if the process dies.
class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. On failure says why; `held_elsewhere` tells a lock held by
    // another process from a lock file that cannot be used.
    bool acquire(const std::string& path, bool& held_elsewhere, std::string& error);
    bool held() const { return fd_ >= 0; }
    void release();

  private:
    int fd_ = -1;
};

struct HardwareAccess {
    HardwareAccessStatus status = HardwareAccessStatus::Refused;
    InstanceLock lock;
    bool ready() const { return status == HardwareAccessStatus::Ready; }
};

// What a front end calls on Linux before any port access and before any toolkit object exists.
// In this order, each refusal naming its cause and the fix: a build for a processor without I/O
// ports; a kernel without ioperm; kernel lockdown; the kernel's own SMBus driver bound to the
// controller (read from sysfs only); no CAP_SYS_RAWIO (not root); another instance. Then it
// grants 0xCF8-0xCFF and the SMBus I/O block the kernel assigned to the controller (from sysfs:
// a block the kernel does not know is left unreachable), and finally, whatever the outcome,
// gives up root for the user who ran sudo or pkexec (SUDO_UID/SUDO_GID, PKEXEC_UID, DOAS_USER;
// the real user of a set-user-ID program), with a check that it cannot be regained; the port
// grants outlive it. A refusal leaves no port granted, and no port is ever read or written here.
// `error` says why when the status is not Ready; on Ready `note` is empty or a note for the
// terminal.
HardwareAccess prepare_hardware_access(const HardwareAccessOptions& options, LinuxPortIo& io,
                                       std::string& error, std::string& note);

// For a program that reaches the bus without ports (the kernel's i2c-dev node, already open, or
// no bus at all): gives up root for the invoking user exactly as above, and nothing else. Ready,
// with a note or nothing in `note`, or CannotDropRoot with why in `error`.
HardwareAccessStatus give_up_root(const PrivilegeSystem& system, std::string& error,
                                  std::string& note);

}  // namespace vantrel::platform
