// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/port_access_checks.h"

#include "bus/smbus_controller.h"
#include "bus/smbus_function.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {

namespace {

constexpr std::uint16_t kPciConfigFirst = 0xCF8;
// The hub's bridge, bus 0 device 31 function 0, whose IDs port discovery compares.
constexpr const char* kHubBridgeFunction = "0000:00:1f.0";
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

enum class FunctionFound {
    None,         // no hub of ours: nothing at the function's address, and no supported bridge
    Hidden,       // a supported hub's bridge, but no SMBus function: the firmware hid it
    Unsupported,  // an SMBus function of a hub Vantrel does not drive
    Supported,
};

// A PCI function's vendor and device ID from sysfs.
std::optional<std::pair<std::uint16_t, std::uint16_t>> pci_ids(const HardwareAccessOptions& options,
                                                               const char* function) {
    const auto id = [&](const char* leaf) -> std::optional<std::uint16_t> {
        std::ifstream file(options.sysfs_root + "/bus/pci/devices/" + function + "/" + leaf);
        unsigned value = 0;
        if (!(file >> std::hex >> value) || value > 0xFFFF) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(value);
    };
    const auto vendor = id("vendor");
    const auto device = id("device");
    if (!vendor || !device) {
        return std::nullopt;
    }
    return std::make_pair(*vendor, *device);
}

// What sysfs shows of the hub, with the SMBus function's IDs as "8086:2930". A machine without
// sysfs looks like one without the hub; port discovery then decides.
FunctionFound smbus_function(const HardwareAccessOptions& options, std::string& ids) {
    const auto function = pci_ids(options, kSmbusPciFunction);
    if (!function) {
        const auto bridge = pci_ids(options, kHubBridgeFunction);
        const bool ours = bridge && chipset_kind_from_id(std::uint32_t{bridge->second} << 16 |
                                                         bridge->first) != ChipsetKind::None;
        return ours ? FunctionFound::Hidden : FunctionFound::None;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", function->first, function->second);
    ids = text;
    return chipset_kind_from_smbus_function(function->first, function->second) == ChipsetKind::None
               ? FunctionFound::Unsupported
               : FunctionFound::Supported;
}

// Whether sysfs lists PCI devices at all (not in every container).
bool pci_listed(const HardwareAccessOptions& options) {
    std::error_code error;
    const std::filesystem::directory_iterator devices(options.sysfs_root + "/bus/pci/devices",
                                                      error);
    return !error && devices != std::filesystem::directory_iterator();
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

std::string unsupported_function_message(const std::string& ids) {
    return std::string("The SMBus controller at PCI ") + kSmbusPciFunction + " (" + ids +
           ") is not that of a hub Vantrel supports: it drives only the SMBus function of an "
           "Intel 82801AA, 82801AB or 82801BA.";
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
    // A hub Vantrel does not drive is the cause, whatever driver holds its function: advice
    // to unbind that driver would lead nowhere.
    std::string ids;
    const FunctionFound function = smbus_function(options, ids);
    if (function == FunctionFound::Unsupported) {
        message = unsupported_function_message(ids);
        return HardwareAccessStatus::Refused;
    }
    // The kernel lists every bridge, even where the firmware hid the SMBus function; a list
    // without one of ours is a machine port discovery would search in vain.
    if (function == FunctionFound::None && pci_listed(options)) {
        message =
            "This machine has no hub Vantrel supports: the kernel lists no Intel 82801AA, "
            "82801AB or 82801BA among its PCI devices, so there is no SMBus controller for "
            "Vantrel to drive.";
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
    // Without a PCI list there is no block to name; port discovery says what is missing.
    if (function == FunctionFound::None) {
        return HardwareAccessStatus::Ready;
    }
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
