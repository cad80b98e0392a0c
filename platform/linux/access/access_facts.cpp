// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/access_facts.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "bus/smbus_function.h"

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

// The kernel option that ioperm(2) and iopl(2) exist under since Linux 5.5.
constexpr std::string_view kIopermOption = "CONFIG_X86_IOPL_IOPERM";

// /proc/locks lines and /etc/group entries longer than this are not ones the program looks for.
constexpr std::size_t kMaxLineLength = 4096;

const char* architecture_name() {
#if defined(__x86_64__)
    return "x86_64";
#elif defined(__i386__)
    return "i386";
#elif defined(__aarch64__)
    return "aarch64";
#elif defined(__arm__)
    return "arm";
#elif defined(__riscv)
    return "riscv";
#else
    return "a processor without x86 I/O ports";
#endif
}

std::string first_line(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

template <class Number>
bool parse_number(std::string_view text, int base, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::optional<std::uint16_t> read_id(const std::string& path) {
    std::string text = first_line(path);
    if (text.rfind("0x", 0) == 0) {
        text.erase(0, 2);
    }
    std::uint16_t value = 0;
    return parse_number(text, 16, value) ? std::optional<std::uint16_t>(value) : std::nullopt;
}

std::string link_name(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? std::string() : target.filename().string();
}

// The selected word of the lockdown file, "[none] integrity confidentiality".
std::string lockdown_state(const std::string& sysfs_root) {
    const std::string text = first_line(sysfs_root + "/kernel/security/lockdown");
    const std::size_t open = text.find('[');
    const std::size_t close = text.find(']', open);
    if (open == std::string::npos || close == std::string::npos) {
        return {};
    }
    return text.substr(open + 1, close - open - 1);
}

struct GroupEntry {
    std::string name;
    std::vector<std::string> members;
};

std::optional<GroupEntry> group_by_id(const std::string& group_file, unsigned gid) {
    std::ifstream in(group_file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > kMaxLineLength) {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, ':');) {
            fields.push_back(field);
        }
        unsigned id = 0;
        if (fields.size() < 3 || !parse_number(fields[2], 10, id) || id != gid) {
            continue;
        }
        GroupEntry entry{fields[0], {}};
        std::stringstream names(fields.size() > 3 ? fields[3] : "");
        for (std::string member; std::getline(names, member, ',');) {
            entry.members.push_back(member);
        }
        return entry;
    }
    return std::nullopt;
}

std::string account_name(const PrivilegeSystem& privileges, unsigned uid) {
    UserAccount account;
    if (privileges.account_by_uid && privileges.account_by_uid(uid, account) &&
        !account.name.empty()) {
        return account.name;
    }
    return std::to_string(uid);
}

// Who gained root through sudo, pkexec or doas, by the variables they leave.
std::string elevating_user(const PrivilegeSystem& privileges) {
    if (!privileges.environment) {
        return {};
    }
    if (const auto name = privileges.environment("SUDO_USER")) {
        return *name;
    }
    if (const auto uid_text = privileges.environment("PKEXEC_UID")) {
        unsigned uid = 0;
        return parse_number(*uid_text, 10, uid) ? account_name(privileges, uid) : *uid_text;
    }
    if (const auto name = privileges.environment("DOAS_USER")) {
        return *name;
    }
    return {};
}

std::string installed_rule(const std::vector<std::string>& dirs) {
    for (const std::string& dir : dirs) {
        std::error_code error;
        std::vector<std::string> names;
        for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
            names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (name.find("vantrel") != std::string::npos && name.ends_with(".rules")) {
                return dir + "/" + name;
            }
        }
    }
    return {};
}

// The process with an flock on the file at `where`, as /proc/locks lists it:
// "1: FLOCK  ADVISORY  WRITE 1234 08:01:131 0 EOF"; a line with "->" is a waiter.
std::optional<LockHolder> flock_holder(const std::string& proc_root, const FileStatus& where) {
    std::ifstream in(proc_root + "/locks");
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > kMaxLineLength) {
            continue;
        }
        std::istringstream fields(line);
        std::string number;
        std::string kind;
        std::string advisory;
        std::string access;
        std::string pid_text;
        std::string file;
        fields >> number >> kind;
        if (kind != "FLOCK") {
            continue;
        }
        fields >> advisory >> access >> pid_text >> file;
        const std::size_t first = file.find(':');
        const std::size_t second = file.find(':', first + 1);
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long long inode = 0;
        long pid = 0;
        if (second == std::string::npos ||
            !parse_number(std::string_view(file).substr(0, first), 16, major) ||
            !parse_number(std::string_view(file).substr(first + 1, second - first - 1), 16,
                          minor) ||
            !parse_number(std::string_view(file).substr(second + 1), 10, inode) ||
            !parse_number(pid_text, 10, pid)) {
            continue;
        }
        if (major == where.dev_major && minor == where.dev_minor && inode == where.inode) {
            return LockHolder{pid, first_line(proc_root + "/" + std::to_string(pid) + "/comm")};
        }
    }
    return std::nullopt;
}

std::optional<FileStatus> system_status(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileStatus{info.st_uid,        info.st_gid,        info.st_mode & 07777u,
                      major(info.st_dev), minor(info.st_dev), info.st_ino};
}

std::vector<unsigned> system_login_groups() {
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
    const int got = groups.empty() ? 0 : ::getgroups(count, groups.data());
    return std::vector<unsigned>(groups.begin(), groups.begin() + std::max(got, 0));
}

std::optional<FileStatus> file_status(const AccessProbe& probe, const std::string& path) {
    return probe.status ? probe.status(path) : std::nullopt;
}

}  // namespace

AccessProbe real_access_probe() {
    AccessProbe probe;
    probe.status = system_status;
    probe.login_groups = system_login_groups;
    probe.privileges = real_privilege_system();
    return probe;
}

bool may_read_write(const FileStatus& status, const ProcessIds& ids,
                    const std::vector<unsigned>& groups) {
    if (ids.euid == 0) {
        return true;
    }
    if (ids.euid == status.uid) {
        return (status.mode & 0600u) == 0600u;
    }
    const bool member = ids.egid == status.gid ||
                        std::find(groups.begin(), groups.end(), status.gid) != groups.end();
    if (member) {
        return (status.mode & 0060u) == 0060u;
    }
    return (status.mode & 0006u) == 0006u;
}

AccessFacts gather_access_facts(const AccessProbe& probe) {
    AccessFacts facts;
    const PrivilegeSystem& privileges = probe.privileges;
    facts.architecture = architecture_name();
    facts.has_port_io = kHavePortIo;
    facts.ids = privileges.ids ? privileges.ids() : ProcessIds{};
    facts.user = account_name(privileges, facts.ids.euid);
    facts.sudo_user = facts.ids.euid == 0 ? elevating_user(privileges) : std::string();
    facts.login_user =
        facts.ids.euid == 0 && !facts.sudo_user.empty() ? facts.sudo_user : facts.user;
    facts.raw_io = privileges.has_raw_io_capability && privileges.has_raw_io_capability();
    facts.lockdown = lockdown_state(probe.sysfs_root);
    facts.ioperm_config = read_kernel_option(
        probe.proc_root, probe.boot_dir,
        probe.kernel_release.empty() ? kernel_release() : probe.kernel_release, kIopermOption);

    const std::string function = probe.sysfs_root + "/bus/pci/devices/" + kSmbusPciFunction;
    const auto vendor = read_id(function + "/vendor");
    const auto device = read_id(function + "/device");
    facts.pci_present = vendor && device;
    if (facts.pci_present) {
        facts.vendor = *vendor;
        facts.device = *device;
        facts.kind = chipset_kind_from_smbus_function(*vendor, *device);
        facts.driver = link_name(function + "/driver");
        facts.module =
            facts.driver.empty() ? std::string() : link_name(function + "/driver/module");
    }

    facts.sysfs = read_smbus_sysfs(probe.sysfs_root);
    const std::vector<unsigned> groups =
        probe.login_groups ? probe.login_groups() : std::vector<unsigned>{};
    if (facts.sysfs.adapter) {
        facts.node = facts.sysfs.adapter->node();
        facts.node_status = file_status(probe, probe.dev_root + facts.node);
    }
    if (facts.node_status) {
        const FileStatus& node = *facts.node_status;
        facts.node_owner = account_name(privileges, node.uid);
        const auto group = group_by_id(probe.group_file, node.gid);
        facts.node_group = group ? group->name : std::to_string(node.gid);
        facts.node_openable = may_read_write(node, facts.ids, groups);
        UserAccount account;
        const bool primary = privileges.account_by_name &&
                             privileges.account_by_name(facts.login_user, account) &&
                             account.gid == node.gid;
        const bool listed = group && std::find(group->members.begin(), group->members.end(),
                                               facts.login_user) != group->members.end();
        const bool in_login = facts.ids.egid == node.gid ||
                              std::find(groups.begin(), groups.end(), node.gid) != groups.end();
        facts.group_needs_login =
            facts.ids.euid != 0 && (primary || listed) && !in_login && (node.mode & 0060u) == 0060u;
        facts.node_lock_holder = flock_holder(probe.proc_root, node);
    }
    facts.udev_rule = installed_rule(probe.udev_rule_dirs);
    facts.lock_path = probe.lock_path;
    if (const auto lock = file_status(probe, probe.lock_path)) {
        facts.port_lock_holder = flock_holder(probe.proc_root, *lock);
    }
    return facts;
}

}  // namespace vantrel::platform
