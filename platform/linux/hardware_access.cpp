#include "platform/linux/hardware_access.h"

namespace vantrel::platform {

namespace {

std::string joined(const std::string& first, const std::string& second) {
    if (first.empty()) {
        return second;
    }
    return second.empty() ? first : first + "\n" + second;
}

}  // namespace

HardwareAccess prepare_hardware_access(const HardwareAccessOptions& options, LinuxPortIo& io,
                                       const PrivilegeSystem& privileges, std::string& message) {
    HardwareAccess access;
    message.clear();
    std::string note;
    access.status = check_and_grant_ports(options, io, privileges, access.lock, message, note);
    if (access.status != HardwareAccessStatus::Ready) {
        io.revoke_all();
        access.lock.release();
    }
    std::string drop_message;
    std::string drop_note;
    if (!drop_privileges(privileges, drop_message, drop_note)) {
        io.revoke_all();
        access.lock.release();
        access.status = HardwareAccessStatus::CannotDropRoot;
        message = joined(message, drop_message);
        return access;
    }
    if (access.status == HardwareAccessStatus::Ready) {
        message = joined(note, drop_note);
    }
    return access;
}

HardwareAccessStatus give_up_root(const PrivilegeSystem& system, std::string& message) {
    message.clear();
    std::string note;
    if (!drop_privileges(system, message, note)) {
        return HardwareAccessStatus::CannotDropRoot;
    }
    message = note;
    return HardwareAccessStatus::Ready;
}

}  // namespace vantrel::platform
