// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/fake_port_access.h"

#include <cerrno>
#include <cstdio>

namespace vantrel::test {

namespace {

std::string hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04lX", value);
    return text;
}

}  // namespace

platform::PortAccessSystem FakePortAccess::system() {
    platform::PortAccessSystem system;
    system.ioperm = [this](unsigned long from, unsigned long count, int turn_on) {
        calls.push_back("ioperm " + hex(from) + "+" + std::to_string(count) +
                        (turn_on != 0 ? " on" : " off"));
        int error_number = turn_on != 0 ? grant_errno : probe_errno;
        if (turn_on != 0 && refused_errno != 0 && from == refused_first) {
            error_number = refused_errno;
        }
        if (error_number != 0) {
            errno = error_number;
            return -1;
        }
        for (unsigned long port = from; port < from + count; ++port) {
            ports[static_cast<unsigned>(port)] = turn_on != 0;
        }
        return 0;
    };
    system.effective_uid = [this] { return ids.euid; };
    system.lockdown_state = [this] { return lockdown; };
    return system;
}

platform::PrivilegeSystem FakePortAccess::privileges() {
    platform::PrivilegeSystem p;
    p.has_raw_io_capability = [this] { return raw_io; };
    p.ids = [this] { return ids; };
    p.environment = [this](const char* name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        if (found == environment.end()) {
            return std::nullopt;
        }
        return found->second;
    };
    p.account_by_uid = [this](unsigned uid, platform::UserAccount& account) {
        for (const auto& a : accounts) {
            if (a.uid == uid) {
                account = a;
                return true;
            }
        }
        return false;
    };
    p.account_by_name = [this](const std::string& name, platform::UserAccount& account) {
        for (const auto& a : accounts) {
            if (a.name == name) {
                account = a;
                return true;
            }
        }
        return false;
    };
    p.set_groups = [this](const platform::UserAccount& account) {
        calls.push_back("setgroups " + (account.name.empty() ? "-" : account.name) + " " +
                        std::to_string(account.gid));
        if (groups_errno != 0 || ids.euid != 0) {
            errno = groups_errno != 0 ? groups_errno : EPERM;
            return -1;
        }
        return 0;
    };
    p.set_gid = [this](unsigned gid) { return set_gid(gid); };
    p.set_uid = [this](unsigned uid) { return set_uid(uid); };
    p.drop_capabilities = [this] {
        calls.push_back("capset none");
        raw_io = capabilities_stick;
        return 0;
    };
    p.set_environment = [this](const char* name, const std::string& value) {
        calls.push_back("setenv " + std::string(name) + "=" + value);
        environment[name] = value;
        return 0;
    };
    return p;
}

int FakePortAccess::set_gid(unsigned gid) {
    calls.push_back("setresgid " + std::to_string(gid));
    if (ids.euid != 0 && gid != ids.rgid && gid != ids.egid && gid != ids.sgid) {
        errno = EPERM;
        return -1;
    }
    ids.rgid = ids.egid = ids.sgid = gid;
    return 0;
}

int FakePortAccess::set_uid(unsigned uid) {
    calls.push_back("setresuid " + std::to_string(uid));
    const bool allowed = ids.euid == 0 || uid == ids.ruid || uid == ids.euid || uid == ids.suid;
    if (!allowed && !regain_allowed) {
        errno = EPERM;
        return -1;
    }
    ids.ruid = ids.euid = ids.suid = uid;
    if (uid != 0) {
        raw_io = false;  // the kernel clears root's capabilities when no user ID is 0
    }
    return 0;
}

bool FakePortAccess::any_port_reachable() const {
    for (const auto& [port, reachable] : ports) {
        if (reachable) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> FakePortAccess::calls_starting(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

}  // namespace vantrel::test
