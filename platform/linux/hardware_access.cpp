#include "platform/linux/hardware_access.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bus/ascii_text.h"

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

HardwareAccessStatus check_and_grant(const HardwareAccessOptions& options, LinuxPortIo& io,
                                     InstanceLock& lock, std::string& error, std::string& note) {
    const PortAccessSystem& system = io.system();
    if (!kHavePortIo) {
        error =
            "Vantrel reaches the clock chip through x86 I/O ports, which this processor does "
            "not have.";
        return HardwareAccessStatus::Refused;
    }
    // Turning permissions off needs no privilege and grants nothing, so it tells whether the
    // kernel has ioperm at all before anything else is asked.
    errno = 0;
    if (system.ioperm(kPciConfigFirst, kPciConfigCount, 0) != 0 && errno == ENOSYS) {
        error = describe_port_access_refusal(ENOSYS, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    // Lockdown and a bound driver come before the question of root: root cannot get past them.
    if (in_lockdown(system.lockdown_state())) {
        error = describe_port_access_refusal(EPERM, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    std::string driver;
    if (bound_driver(options, driver)) {
        error = driver_bound_message(driver);
        return HardwareAccessStatus::Refused;
    }
    if (!system.privileges.has_raw_io_capability()) {
        error = describe_port_access_refusal(EPERM, kPciConfigFirst, kPciConfigCount, system);
        return HardwareAccessStatus::Refused;
    }
    bool held_elsewhere = false;
    if (!lock.acquire(options.lock_path, held_elsewhere, error)) {
        return held_elsewhere ? HardwareAccessStatus::AlreadyRunning
                              : HardwareAccessStatus::Refused;
    }
    if (!io.grant_pci_config(error)) {
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
    if (!io.grant(first, count, error)) {
        return HardwareAccessStatus::Refused;
    }
    return HardwareAccessStatus::Ready;
}

// A user or group ID as sudo and pkexec write it: at most ten decimal digits; (uid_t)-1 means
// "no change" to the system calls and is refused.
bool parse_id(const std::string& text, unsigned& id) {
    return text.size() <= 10 && ascii::parse_decimal(text, 0xFFFFFFFEu, id);
}

struct Target {
    unsigned uid = 0;
    unsigned gid = 0;
    UserAccount account;
    bool known = false;  // found in the password database
};

// The user the program runs for. Returns false with the reason in `error` when the environment
// names a user in a form that cannot be trusted; `target.uid` 0 means nobody else is known.
bool invoking_user(const PrivilegeSystem& system, const ProcessIds& ids, Target& target,
                   std::string& error) {
    if (ids.ruid != 0) {
        // A set-user-ID program: the real IDs are the caller's, and its environment is not
        // evidence of anything.
        target.uid = ids.ruid;
        target.gid = ids.rgid;
        target.known = system.account_by_uid(target.uid, target.account);
        return true;
    }
    if (const auto sudo_uid = system.environment("SUDO_UID")) {
        const auto sudo_gid = system.environment("SUDO_GID");
        if (!parse_id(*sudo_uid, target.uid) || (sudo_gid && !parse_id(*sudo_gid, target.gid))) {
            error = "SUDO_UID or SUDO_GID does not hold a user or group ID";
            return false;
        }
        target.known = system.account_by_uid(target.uid, target.account);
        if (!sudo_gid) {
            if (!target.known) {
                error = "user " + *sudo_uid + " has no group known to the system";
                return false;
            }
            target.gid = target.account.gid;
        }
        return true;
    }
    if (const auto pkexec_uid = system.environment("PKEXEC_UID")) {
        if (!parse_id(*pkexec_uid, target.uid)) {
            error = "PKEXEC_UID does not hold a user ID";
            return false;
        }
        target.known = system.account_by_uid(target.uid, target.account);
        if (!target.known) {
            error = "user " + *pkexec_uid + " is not known to the system";
            return false;
        }
        target.gid = target.account.gid;
        return true;
    }
    if (const auto doas_user = system.environment("DOAS_USER")) {
        target.known = system.account_by_name(*doas_user, target.account);
        if (!target.known) {
            error = "user " + *doas_user + " is not known to the system";
            return false;
        }
        target.uid = target.account.uid;
        target.gid = target.account.gid;
        return true;
    }
    target.uid = 0;
    return true;
}

std::string failed(const char* what, int error_number) {
    return std::string(what) + " failed (" + std::strerror(error_number) + ")";
}

// Gives up root, or a capability granted without root, for good. `note` gets what the user
// should know when the program stays root.
bool drop_privileges(const PrivilegeSystem& system, std::string& error, std::string& note) {
    const ProcessIds ids = system.ids();
    if (ids.ruid != 0 && ids.euid != 0 && ids.suid != 0) {
        if (system.has_raw_io_capability() &&
            (system.drop_capabilities() != 0 || system.has_raw_io_capability())) {
            error = "Cannot give up the CAP_SYS_RAWIO capability: " + failed("capset", errno) +
                    "; Vantrel does not go on with it.";
            return false;
        }
        return true;
    }
    Target target;
    std::string why;
    if (!invoking_user(system, ids, target, why)) {
        error = "Cannot give up root: " + why + "; Vantrel does not go on as root.";
        return false;
    }
    if (target.uid == 0) {
        note =
            "Vantrel goes on as root: it was started by root itself, not through sudo, pkexec "
            "or doas, so there is no other user to become.";
        return true;
    }
    UserAccount account =
        target.known ? target.account : UserAccount{"", target.uid, target.gid, ""};
    account.gid = target.gid;
    // Groups first, then the group, then the user: each later step gives up the right to do the
    // earlier ones.
    const char* step = nullptr;
    if (system.set_groups(account) != 0) {
        step = "setting the supplementary groups";
    } else if (system.set_gid(target.gid) != 0) {
        step = "setresgid";
    } else if (system.set_uid(target.uid) != 0) {
        step = "setresuid";
    }
    if (step != nullptr) {
        error = "Cannot give up root: " + failed(step, errno) + "; Vantrel does not go on as root.";
        return false;
    }
    const ProcessIds now = system.ids();
    const bool all_user = now.ruid == target.uid && now.euid == target.uid &&
                          now.suid == target.uid && now.rgid == target.gid &&
                          now.egid == target.gid && now.sgid == target.gid;
    if (!all_user || system.set_uid(0) == 0 || system.has_raw_io_capability()) {
        error =
            "Cannot give up root for good: the process could still become root again; Vantrel "
            "does not go on.";
        return false;
    }
    if (target.known) {
        // sudo and pkexec leave root's HOME behind; the settings file belongs in the user's.
        system.set_environment("HOME", target.account.home);
        system.set_environment("USER", target.account.name);
        system.set_environment("LOGNAME", target.account.name);
    }
    return true;
}

std::string joined(const std::string& first, const std::string& second) {
    if (first.empty()) {
        return second;
    }
    return second.empty() ? first : first + "\n" + second;
}

}  // namespace

InstanceLock::~InstanceLock() {
    release();
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool InstanceLock::acquire(const std::string& path, bool& held_elsewhere, std::string& error) {
    release();
    held_elsewhere = false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "Cannot open the lock file " + path + ": " + std::strerror(errno) + ".";
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error_number = errno;
        if (error_number != EWOULDBLOCK) {
            ::close(fd);
            error = "Cannot lock " + path + ": " + std::strerror(error_number) + ".";
            return false;
        }
        char text[32] = {};
        const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
        ::close(fd);
        long pid = 0;
        const bool named = length > 0 && std::sscanf(text, "%ld", &pid) == 1 && pid > 0;
        held_elsewhere = true;
        error = std::string("Another Vantrel program") +
                (named ? " (process " + std::to_string(pid) + ")" : "") +
                " is using the hardware; only one may drive the clock chip at a time (lock "
                "file " +
                path + ").";
        return false;
    }
    // The holder's process ID, for the error of the next one to try.
    const std::string pid = std::to_string(::getpid()) + "\n";
    const bool noted = ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) >= 0;
    (void)noted;  // the lock is held either way; only the courtesy text would be missing
    fd_ = fd;
    return true;
}

HardwareAccess prepare_hardware_access(const HardwareAccessOptions& options, LinuxPortIo& io,
                                       std::string& error, std::string& note) {
    HardwareAccess access;
    error.clear();
    note.clear();
    std::string grant_note;
    access.status = check_and_grant(options, io, access.lock, error, grant_note);
    if (access.status != HardwareAccessStatus::Ready) {
        io.revoke_all();
        access.lock.release();
    }
    std::string drop_error;
    std::string drop_note;
    if (!drop_privileges(io.system().privileges, drop_error, drop_note)) {
        io.revoke_all();
        access.lock.release();
        access.status = HardwareAccessStatus::CannotDropRoot;
        error = joined(error, drop_error);
        return access;
    }
    if (access.status == HardwareAccessStatus::Ready) {
        note = joined(grant_note, drop_note);
    }
    return access;
}

HardwareAccessStatus give_up_root(const PrivilegeSystem& system, std::string& error,
                                  std::string& note) {
    error.clear();
    note.clear();
    if (!drop_privileges(system, error, note)) {
        return HardwareAccessStatus::CannotDropRoot;
    }
    return HardwareAccessStatus::Ready;
}

}  // namespace vantrel::platform
