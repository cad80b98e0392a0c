// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/access/account_lookup.h"

#include <gtest/gtest.h>

#include "support/param_name.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

constexpr const char* kPasswd =
    "root:x:0:0:root:/root:/bin/bash\n"
    "# a comment:x:5:5::/c:/bin/sh\n"
    "+nisuser::::::\n"
    "broken:x:12a:100::/b:/bin/sh\n"
    "short:x:13:100\n"
    "anna:x:1000:1000:Anna,,,:/home/anna:/bin/bash\r\n"
    "ben:x:1001:100::/home/ben:/bin/sh";  // no newline at the end

struct PasswdCase {
    const char* label;
    bool by_name;
    const char* name;
    unsigned uid;
    bool found;
    UserAccount expected;
};

class PasswdFile : public ::testing::TestWithParam<PasswdCase> {};

TEST_P(PasswdFile, FindsOnlyWholeEntries) {
    const auto& c = GetParam();
    UserAccount account{"untouched", 77, 77, "/untouched"};
    const bool found = c.by_name ? passwd_account_by_name(kPasswd, c.name, account)
                                 : passwd_account_by_uid(kPasswd, c.uid, account);
    ASSERT_EQ(found, c.found);
    const UserAccount& want = c.found ? c.expected : UserAccount{"untouched", 77, 77, "/untouched"};
    EXPECT_EQ(account.name, want.name);
    EXPECT_EQ(account.uid, want.uid);
    EXPECT_EQ(account.gid, want.gid);
    EXPECT_EQ(account.home, want.home);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PasswdFile,
    ::testing::Values(
        PasswdCase{"RootByUid", false, "", 0, true, {"root", 0, 0, "/root"}},
        PasswdCase{"CarriageReturnLine", false, "", 1000, true, {"anna", 1000, 1000, "/home/anna"}},
        PasswdCase{"LastLineWithoutNewline", true, "ben", 0, true, {"ben", 1001, 100, "/home/ben"}},
        PasswdCase{"CommentIsNoEntry", false, "", 5, false, {}},
        PasswdCase{"NisLineIsNoEntry", true, "+nisuser", 0, false, {}},
        PasswdCase{"BadUidIsSkipped", true, "broken", 0, false, {}},
        PasswdCase{"TooFewFields", false, "", 13, false, {}},
        PasswdCase{"UnknownUidNotFound", false, "", 4242, false, {}},
        PasswdCase{"NamePrefixIsNotTheName", true, "an", 0, false, {}}),
    test::ByLabel());

constexpr const char* kGroup =
    "root:x:0:\n"
    "users:x:100:anna,ben\n"
    "i2c:x:117:ben\n"
    "i2cx:x:118:bent,xben\n"
    "dup:x:100:ben\n"
    "bad:x:-1:ben\n"
    "anna:x:1000:\n";

struct GroupsCase {
    const char* label;
    const char* user;
    unsigned gid;
    std::vector<unsigned> expected;
};

class GroupFile : public ::testing::TestWithParam<GroupsCase> {};

TEST_P(GroupFile, ListsThePrimaryGroupFirstAndEachGroupOnce) {
    const auto& c = GetParam();
    EXPECT_EQ(groups_of_user(kGroup, c.user, c.gid), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Members, GroupFile,
    ::testing::Values(GroupsCase{"MemberOfTwo", "ben", 100, {100, 117}},
                      GroupsCase{"PrimaryNotRepeated", "anna", 1000, {1000, 100}},
                      GroupsCase{"NoGroupsButItsOwn", "carl", 1002, {1002}},
                      GroupsCase{"SimilarNamesAreNotMembers", "bent", 1003, {1003, 118}}),
    test::ByLabel());

TEST(GroupFileNames, NameTheFirstGroupWithTheId) {
    EXPECT_EQ(group_name_by_gid(kGroup, 117), "i2c");
    EXPECT_EQ(group_name_by_gid(kGroup, 100), "users");
    EXPECT_EQ(group_name_by_gid(kGroup, 5), std::nullopt);
}

}  // namespace
}  // namespace vantrel::platform
