// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/access/privilege_drop.h"

namespace vantrel::platform {

// Users and groups. The dynamically linked programs ask the C library, and so every source
// nsswitch.conf names (LDAP, SSSD, systemd-homed); the static command line cannot load the
// library's NSS modules and reads /etc/passwd and /etc/group itself
// (VANTREL_ACCOUNTS_FROM_FILES).
bool lookup_account_by_uid(unsigned uid, UserAccount& account);
bool lookup_account_by_name(const std::string& name, UserAccount& account);
// The group's name, or nothing when the group is not known.
std::optional<std::string> lookup_group_name(unsigned gid);
// Makes the account's groups the process's supplementary groups (just its group when the
// account has no name): 0, or -1 with errno set.
int set_account_groups(const UserAccount& account);

// A user or group ID as the files, sudo and pkexec write it.
bool parse_account_id(std::string_view text, unsigned& id);

// The readers of the files' text, one entry a line, fields split at ':'.
bool passwd_account_by_uid(std::string_view passwd_text, unsigned uid, UserAccount& account);
bool passwd_account_by_name(std::string_view passwd_text, std::string_view name,
                            UserAccount& account);
std::optional<std::string> group_name_by_gid(std::string_view group_text, unsigned gid);
// The account's group followed by every other group that lists `user` as a member, each once.
std::vector<unsigned> groups_of_user(std::string_view group_text, std::string_view user,
                                     unsigned gid);

}  // namespace vantrel::platform
