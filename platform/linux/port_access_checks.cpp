// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/port_access_checks.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {

namespace {

constexpr std::uint16_t kPciConfigFirst = 0xCF8;
constexpr std::uint16_t kPciConfigCount = 8;
// The SMBus I/O block is BAR 4 of the function (configuration offset 0x20), the fifth line of
// its sysfs "resource" file; IORESOURCE_IO marks an I/O-space range.
constexpr std::size_t kSmbusBarLine = 4;
constexpr unsigned long long kIoResourceIo = 0x100;
// The transfers use offsets 0 to 7; the hubs decode 16 or 32 ports.
constexpr unsigned long long kSmbusBlockMin = 8;
constexpr unsigned long long kSmbusBlockMax = 32;

std::string function_path(const HardwareAccessOptions& options, const char* leaf) {
    return options.sysfs_root + "/bus/pci/devices/" + kSmbusPciFunction + "/" + leaf;
}

bool in_lockdown(const std::string& state) {
    return state.find("[integrity]") != std::string::npos ||
           state.find("[confidentiality]") != std::string::npos;
}

// The kernel driver bound to the SMBus function, from its sysfs "driver" link.
bool bound_driver(const HardwareAccessOptions& options, std::string& driver) {
    const std::string link = function_path(options, "driver");
    struct stat info {};
    if (::lstat(link.c_str(), &info) != 0) {
        return false;
    }
    char target[4096];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        driver = "unknown";
        return true;
    }
    const std::string path(target, static_cast<std::size_t>(length));
    driver = path.substr(path.rfind('/') + 1);
    return true;
}

std::string driver_bound_message(const std::string& driver) {
    return "The kernel's " + driver + " driver is bound to the SMBus controller (PCI " +
           kSmbusPciFunction +
           "). Vantrel leaves the controller to it: driving the bus beside the kernel would race "
           "it, and the transfers of both could be corrupted. To let Vantrel use the controller, "
           "unbind the driver as root:\n    echo " +
           kSmbusPciFunction + " > /sys/bus/pci/drivers/" + driver +
           "/unbind\nand bind it again afterwards by writing the same to .../" + driver +
           "/bind (a reboot does too).";
}

// The I/O block the kernel assigned to the SMBus function. Only this block is granted: a base
// the program reads from the hub later that differs from it (a function the firmware hid, an
// unprogrammed base of 0 that would be the DMA controller) then stays out of reach.
bool smbus_io_block(const HardwareAccessOptions& options, std::uint16_t& first,
                    std::uint16_t& count) {
    std::ifstream file(function_path(options, "resource"));
    std::string line;
    for (std::size_t i = 0; i <= kSmbusBarLine; ++i) {
        if (!std::getline(file, line) || line.size() > 200) {
            return false;
        }
    }
    unsigned long long start = 0;
    unsigned long long end = 0;
    unsigned long long flags = 0;
    char extra = 0;
    if (std::sscanf(line.c_str(), "%llx %llx %llx %c", &start, &end, &flags, &extra) != 3) {
        return false;
    }
    if ((flags & kIoResourceIo) == 0 || start == 0 || end < start || end > 0xFFFF) {
        return false;
    }
    const unsigned long long size = end - start + 1;
    if (size < kSmbusBlockMin || size > kSmbusBlockMax) {
        return false;
    }
    first = static_cast<std::uint16_t>(start);
    count = static_cast<std::uint16_t>(size);
    return true;
}

}  // namespace

HardwareAccessStatus check_and_grant_ports(const HardwareAccessOptions& options, LinuxPortIo& io,
                                           const PrivilegeSystem& privileges, InstanceLock& lock,
                                           std::string& message, std::string& note) {
    const PortAccessSystem& system = io.system();
    if (!kHavePortIo) {
        message =
            "Vantrel reaches the clock chip through x86 I/O ports, which this processor does "
            "not have.";
        return HardwareAccessStatus::Refused;
    }
    // Turning permissions off needs no privilege and grants nothing, so it tells whether the
    // kernel has ioperm at all before anything else is asked.
    errno = 0;
    if (system.ioperm(kPciConfigFirst, kPciConfigCount, 0) != 0 && errno == ENOSYS) {
        message = describe_port_access_refusal(ENOSYS, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    // Lockdown and a bound driver come before the question of root: root cannot get past them.
    if (in_lockdown(system.lockdown_state())) {
        message = describe_port_access_refusal(EPERM, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    std::string driver;
    if (bound_driver(options, driver)) {
        message = driver_bound_message(driver);
        return HardwareAccessStatus::Refused;
    }
    if (!privileges.has_raw_io_capability()) {
        message = describe_port_access_refusal(EPERM, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    bool held_elsewhere = false;
    if (!lock.acquire(options.lock_path, held_elsewhere, message)) {
        return held_elsewhere ? HardwareAccessStatus::AlreadyRunning
                              : HardwareAccessStatus::Refused;
    }
    if (!io.grant_pci_config(message)) {
        return HardwareAccessStatus::Refused;
    }
    std::uint16_t first = 0;
    std::uint16_t count = 0;
    if (!smbus_io_block(options, first, count)) {
        note = std::string("The kernel has assigned no I/O block to the SMBus controller (PCI ") +
               kSmbusPciFunction +
               "), so its ports stay out of reach and the clock chip cannot be found.";
        return HardwareAccessStatus::Ready;
    }
    if (!io.grant(first, count, message)) {
        return HardwareAccessStatus::Refused;
    }
    return HardwareAccessStatus::Ready;
}

}  // namespace vantrel::platform
