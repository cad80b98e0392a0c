// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/privilege_drop.h"

#include "platform/linux/access/account_lookup.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantrel::platform {

namespace {

bool system_has_raw_io_capability() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            const unsigned long long effective = std::strtoull(line.c_str() + 7, nullptr, 16);
            return (effective >> CAP_SYS_RAWIO) & 1;
        }
    }
    return false;
}

ProcessIds system_ids() {
    uid_t ruid = 0;
    uid_t euid = 0;
    uid_t suid = 0;
    gid_t rgid = 0;
    gid_t egid = 0;
    gid_t sgid = 0;
    ::getresuid(&ruid, &euid, &suid);
    ::getresgid(&rgid, &egid, &sgid);
    return ProcessIds{ruid, euid, suid, rgid, egid, sgid};
}

std::optional<std::string> system_environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

bool system_account_by_uid(unsigned uid, UserAccount& account) {
    return lookup_account_by_uid(uid, account);
}

bool system_account_by_name(const std::string& name, UserAccount& account) {
    return lookup_account_by_name(name, account);
}

int system_set_groups(const UserAccount& account) {
    return set_account_groups(account);
}

int system_set_gid(unsigned gid) {
    return ::setresgid(gid, gid, gid);
}

int system_set_uid(unsigned uid) {
    return ::setresuid(uid, uid, uid);
}

int system_drop_capabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return static_cast<int>(::syscall(SYS_capset, &header, data));
}

int system_set_environment(const char* name, const std::string& value) {
    return ::setenv(name, value.c_str(), 1);
}

struct Target {
    unsigned uid = 0;
    unsigned gid = 0;
    UserAccount account;
    bool known = false;  // found in the password database
};

// The user the program runs for. Returns false with a message when the environment names a user
// in a form that cannot be trusted; `target.uid` 0 means nobody else is known.
bool invoking_user(const PrivilegeSystem& system, const ProcessIds& ids, Target& target,
                   std::string& message) {
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
        if (!parse_account_id(*sudo_uid, target.uid) ||
            (sudo_gid && !parse_account_id(*sudo_gid, target.gid))) {
            message = "SUDO_UID or SUDO_GID does not hold a user or group ID";
            return false;
        }
        target.known = system.account_by_uid(target.uid, target.account);
        if (!sudo_gid) {
            if (!target.known) {
                message = "user " + *sudo_uid + " has no group known to the system";
                return false;
            }
            target.gid = target.account.gid;
        }
        return true;
    }
    if (const auto pkexec_uid = system.environment("PKEXEC_UID")) {
        if (!parse_account_id(*pkexec_uid, target.uid)) {
            message = "PKEXEC_UID does not hold a user ID";
            return false;
        }
        target.known = system.account_by_uid(target.uid, target.account);
        if (!target.known) {
            message = "user " + *pkexec_uid + " is not known to the system";
            return false;
        }
        target.gid = target.account.gid;
        return true;
    }
    if (const auto doas_user = system.environment("DOAS_USER")) {
        target.known = system.account_by_name(*doas_user, target.account);
        if (!target.known) {
            message = "user " + *doas_user + " is not known to the system";
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

}  // namespace

bool drop_privileges(const PrivilegeSystem& system, std::string& message, std::string& note) {
    const ProcessIds ids = system.ids();
    if (ids.ruid != 0 && ids.euid != 0 && ids.suid != 0) {
        if (system.has_raw_io_capability() &&
            (system.drop_capabilities() != 0 || system.has_raw_io_capability())) {
            message = "Cannot give up the CAP_SYS_RAWIO capability: " + failed("capset", errno) +
                      "; Vantrel does not go on with it.";
            return false;
        }
        return true;
    }
    Target target;
    std::string why;
    if (!invoking_user(system, ids, target, why)) {
        message = "Cannot give up root: " + why + "; Vantrel does not go on as root.";
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
        message =
            "Cannot give up root: " + failed(step, errno) + "; Vantrel does not go on as root.";
        return false;
    }
    const ProcessIds now = system.ids();
    const bool all_user = now.ruid == target.uid && now.euid == target.uid &&
                          now.suid == target.uid && now.rgid == target.gid &&
                          now.egid == target.gid && now.sgid == target.gid;
    if (!all_user || system.set_uid(0) == 0 || system.has_raw_io_capability()) {
        message =
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

PrivilegeSystem real_privilege_system() {
    return PrivilegeSystem{system_has_raw_io_capability,
                           system_ids,
                           system_environment,
                           system_account_by_uid,
                           system_account_by_name,
                           system_set_groups,
                           system_set_gid,
                           system_set_uid,
                           system_drop_capabilities,
                           system_set_environment};
}

}  // namespace vantrel::platform
