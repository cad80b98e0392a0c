// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/hardware_access.h"

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
                                       const PrivilegeSystem& privileges, std::string& error,
                                       std::string& note) {
    HardwareAccess access;
    error.clear();
    note.clear();
    std::string grant_note;
    access.status = check_and_grant_ports(options, io, privileges, access.lock, error, grant_note);
    if (access.status != HardwareAccessStatus::Ready) {
        io.revoke_all();
        access.lock.release();
    }
    std::string drop_error;
    std::string drop_note;
    if (!drop_privileges(privileges, drop_error, drop_note)) {
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
