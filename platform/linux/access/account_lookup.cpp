// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/account_lookup.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace vantrel::platform {

// Decimal digits only, and never (uid_t)-1, which the system calls take as "no change".
bool parse_account_id(std::string_view text, unsigned& id) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value >= 0xFFFFFFFFull) {
        return false;
    }
    id = static_cast<unsigned>(value);
    return true;
}

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// Each entry's fields, when the line is an entry with at least `fields` of them; comments and
// the "+"/"-" lines of NIS compatibility mode are not entries.
template <typename Visit>
void for_each_entry(std::string_view text, std::size_t fields, Visit visit) {
    for (std::string_view line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line[0] == '#' || line[0] == '+' || line[0] == '-') {
            continue;
        }
        const std::vector<std::string_view> parts = split(line, ':');
        if (parts.size() >= fields && !parts[0].empty() && visit(parts)) {
            return;
        }
    }
}

bool account_from_entry(const std::vector<std::string_view>& parts, UserAccount& account) {
    unsigned uid = 0;
    unsigned gid = 0;
    if (!parse_account_id(parts[2], uid) || !parse_account_id(parts[3], gid)) {
        return false;
    }
    account = UserAccount{std::string(parts[0]), uid, gid, std::string(parts[5])};
    return true;
}

}  // namespace

bool passwd_account_by_uid(std::string_view passwd_text, unsigned uid, UserAccount& account) {
    bool found = false;
    for_each_entry(passwd_text, 7, [&](const std::vector<std::string_view>& parts) {
        UserAccount entry;
        if (account_from_entry(parts, entry) && entry.uid == uid) {
            account = entry;
            found = true;
        }
        return found;
    });
    return found;
}

bool passwd_account_by_name(std::string_view passwd_text, std::string_view name,
                            UserAccount& account) {
    bool found = false;
    for_each_entry(passwd_text, 7, [&](const std::vector<std::string_view>& parts) {
        UserAccount entry;
        if (parts[0] == name && account_from_entry(parts, entry)) {
            account = entry;
            found = true;
        }
        return found;
    });
    return found;
}

std::optional<std::string> group_name_by_gid(std::string_view group_text, unsigned gid) {
    std::optional<std::string> name;
    for_each_entry(group_text, 4, [&](const std::vector<std::string_view>& parts) {
        unsigned id = 0;
        if (parse_account_id(parts[2], id) && id == gid) {
            name = std::string(parts[0]);
        }
        return name.has_value();
    });
    return name;
}

std::vector<unsigned> groups_of_user(std::string_view group_text, std::string_view user,
                                     unsigned gid) {
    std::vector<unsigned> groups{gid};
    for_each_entry(group_text, 4, [&](const std::vector<std::string_view>& parts) {
        unsigned id = 0;
        if (!parse_account_id(parts[2], id)) {
            return false;
        }
        const std::vector<std::string_view> members = split(parts[3], ',');
        if (std::find(members.begin(), members.end(), user) != members.end() &&
            std::find(groups.begin(), groups.end(), id) == groups.end()) {
            groups.push_back(id);
        }
        return false;
    });
    return groups;
}

#if defined(VANTREL_ACCOUNTS_FROM_FILES)

namespace {

std::string file_text(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool lookup_account_by_uid(unsigned uid, UserAccount& account) {
    return passwd_account_by_uid(file_text("/etc/passwd"), uid, account);
}

bool lookup_account_by_name(const std::string& name, UserAccount& account) {
    return passwd_account_by_name(file_text("/etc/passwd"), name, account);
}

std::optional<std::string> lookup_group_name(unsigned gid) {
    return group_name_by_gid(file_text("/etc/group"), gid);
}

int set_account_groups(const UserAccount& account) {
    std::vector<gid_t> groups;
    if (account.name.empty()) {
        groups.push_back(account.gid);
    } else {
        for (const unsigned id :
             groups_of_user(file_text("/etc/group"), account.name, account.gid)) {
            groups.push_back(id);
        }
    }
    return ::setgroups(groups.size(), groups.data());
}

#else

namespace {

std::vector<char> entry_buffer(int which) {
    // The suggested size can be too small for a group with many members.
    const long suggested = ::sysconf(which);
    return std::vector<char>(static_cast<std::size_t>(std::max(suggested, 16384L)));
}

bool account_from(int result, const passwd* found, UserAccount& account) {
    if (result != 0 || found == nullptr) {
        return false;
    }
    account.name = found->pw_name != nullptr ? found->pw_name : "";
    account.uid = found->pw_uid;
    account.gid = found->pw_gid;
    account.home = found->pw_dir != nullptr ? found->pw_dir : "";
    return true;
}

}  // namespace

bool lookup_account_by_uid(unsigned uid, UserAccount& account) {
    std::vector<char> buffer = entry_buffer(_SC_GETPW_R_SIZE_MAX);
    passwd entry{};
    passwd* found = nullptr;
    const int result = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
    return account_from(result, found, account);
}

bool lookup_account_by_name(const std::string& name, UserAccount& account) {
    std::vector<char> buffer = entry_buffer(_SC_GETPW_R_SIZE_MAX);
    passwd entry{};
    passwd* found = nullptr;
    const int result = ::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found);
    return account_from(result, found, account);
}

std::optional<std::string> lookup_group_name(unsigned gid) {
    std::vector<char> buffer = entry_buffer(_SC_GETGR_R_SIZE_MAX);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->gr_name == nullptr) {
        return std::nullopt;
    }
    return std::string(found->gr_name);
}

int set_account_groups(const UserAccount& account) {
    if (!account.name.empty()) {
        return ::initgroups(account.name.c_str(), account.gid);
    }
    const gid_t only = account.gid;
    return ::setgroups(1, &only);
}

#endif

}  // namespace vantrel::platform
