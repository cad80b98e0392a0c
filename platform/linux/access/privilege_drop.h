// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vantrel::platform {

// A user account as the password database gives it.
struct UserAccount {
    std::string name;
    unsigned uid = 0;
    unsigned gid = 0;
    std::string home;
};

// Real, effective and saved user and group IDs.
struct ProcessIds {
    unsigned ruid = 0;
    unsigned euid = 0;
    unsigned suid = 0;
    unsigned rgid = 0;
    unsigned egid = 0;
    unsigned sgid = 0;
};

// What giving up root asks of the system. Calls that change something return 0 on success and
// -1 with errno set, as the system calls do.
struct PrivilegeSystem {
    std::function<bool()> has_raw_io_capability;  // CAP_SYS_RAWIO in the effective set
    std::function<ProcessIds()> ids;
    std::function<std::optional<std::string>(const char* name)> environment;
    std::function<bool(unsigned uid, UserAccount& account)> account_by_uid;
    std::function<bool(const std::string& name, UserAccount& account)> account_by_name;
    // The account's supplementary groups, or just its group when the account has no name.
    std::function<int(const UserAccount& account)> set_groups;
    std::function<int(unsigned gid)> set_gid;  // real, effective and saved
    std::function<int(unsigned uid)> set_uid;  // real, effective and saved
    std::function<int()> drop_capabilities;    // empties the effective and permitted sets
    std::function<int(const char* name, const std::string& value)> set_environment;
};

PrivilegeSystem real_privilege_system();

// Gives up root, or a capability granted without root, for good, for the user who ran sudo or
// pkexec (SUDO_UID/SUDO_GID, PKEXEC_UID, DOAS_USER; the real user of a set-user-ID program),
// with a check that it cannot be regained. False with why in `message`; `note` gets what the
// user should know when the program stays root.
bool drop_privileges(const PrivilegeSystem& system, std::string& message, std::string& note);

}  // namespace vantrel::platform
