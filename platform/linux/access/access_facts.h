// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/access/port_access_checks.h"
#include "platform/linux/access/privilege_drop.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/kernel/kernel_config.h"
#include "platform/linux/kernel/smbus_sysfs.h"
#include "platform/linux/linux_port_io.h"

namespace vantrel::platform {

// What stat(2) says of a file: owner, group, permission bits, and where it lives, as
// /proc/locks names a locked file.
struct FileStatus {
    unsigned uid = 0;
    unsigned gid = 0;
    unsigned mode = 0;  // the permission bits only
    unsigned dev_major = 0;
    unsigned dev_minor = 0;
    unsigned long long inode = 0;
};

// Where the facts that decide access are read; each root is a directory a test can fake. Nothing
// here opens a device, grants a port or takes a lock.
struct AccessProbe {
    std::string sysfs_root = "/sys";
    std::string dev_root;  // put before "/dev/i2c-N"
    std::string proc_root = "/proc";
    std::string boot_dir = "/boot";  // where config-RELEASE is looked for
    std::string kernel_release;      // empty: the running kernel's
    std::string group_file = "/etc/group";
    std::vector<std::string> udev_rule_dirs = {"/usr/lib/udev/rules.d", "/etc/udev/rules.d"};
    std::string lock_path = kDefaultLockPath;
    std::function<std::optional<FileStatus>(const std::string& path)> status;
    std::function<std::vector<unsigned>()> login_groups;  // getgroups(2)
    PrivilegeSystem privileges;
};

AccessProbe real_access_probe();

// A process holding an flock, from /proc/locks.
struct LockHolder {
    long pid = 0;
    std::string command;  // /proc/PID/comm, empty when it cannot be read
};

// The facts, read once.
struct AccessFacts {
    std::string architecture;
    bool has_port_io = false;
    ProcessIds ids;
    std::string user;          // the effective user's name, or its number
    std::string sudo_user;     // who ran sudo, pkexec or doas, when root came from it
    std::string login_user;    // the account whose groups decide the node's access
    bool raw_io = false;       // CAP_SYS_RAWIO in the effective set
    std::string lockdown;      // "none", "integrity", "confidentiality"; empty when unknown
    bool pci_present = false;  // a function at kSmbusPciFunction
    std::uint16_t vendor = 0;
    std::uint16_t device = 0;
    ChipsetKind kind = ChipsetKind::None;
    std::string driver;  // bound to it; empty when none
    std::string module;  // the driver's module; empty when built in or unbound
    SmbusSysfs sysfs;
    std::string node;  // "/dev/i2c-N" of the hub's adapter; empty without one
    std::optional<FileStatus> node_status;
    std::string node_owner;
    std::string node_group;
    bool node_openable = false;      // read and write allowed to this process's credentials
    bool group_needs_login = false;  // the user is a member in the group file, not in this login
    std::string udev_rule;           // the path of an installed Vantrel rule, or empty
    std::string lock_path;           // the port path's lock file
    std::optional<LockHolder> port_lock_holder;
    std::optional<LockHolder> node_lock_holder;
    // CONFIG_X86_IOPL_IOPERM in the running kernel's configuration: without it ioperm(2) does
    // not exist, whoever asks.
    KernelOptionFact ioperm_config;
};

AccessFacts gather_access_facts(const AccessProbe& probe);

// Whether `ids` and `groups` may open a file of `status` for reading and writing, as the kernel
// decides it for a process without capabilities beyond root's.
bool may_read_write(const FileStatus& status, const ProcessIds& ids,
                    const std::vector<unsigned>& groups);

}  // namespace vantrel::platform
