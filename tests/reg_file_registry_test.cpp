// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/settings/reg_file_registry.h"
#include "platform/linux/settings/settings_path.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

using test::file_exists;
using test::read_file;
using test::TempDir;
using test::write_file;
using namespace std::string_literals;

const std::string kHeader = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n";

// Opens the program's key in a settings file at `path`.
RegistryKey* open_key(RegFileRegistry& registry) {
    return registry.create_or_open(kSettingsKeyPath);
}

std::optional<std::uint32_t> query(const std::string& path, const char* name) {
    RegFileRegistry registry(path);
    RegistryKey* key = open_key(registry);
    std::uint32_t value = 0xDEADBEEF;
    if (key == nullptr || !key->query_dword(name, value)) {
        EXPECT_EQ(value, 0xDEADBEEFu) << "written on failure";
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> names_starting(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

// ---------------------------------------------------------------------------------------------
// Writing: what a change leaves in the file.

struct WriteCase {
    const char* label;
    std::optional<std::string> before;  // nullopt: no file yet
    std::vector<std::pair<const char*, std::uint32_t>> sets;
    std::string after;
};

class RegFileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RegFileWrite, LeavesTheExpectedFile) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    if (GetParam().before) {
        write_file(path, *GetParam().before);
    }
    RegFileRegistry registry(path);
    RegistryKey* key = open_key(registry);
    ASSERT_NE(key, nullptr) << registry.problem();
    for (const auto& [name, value] : GetParam().sets) {
        EXPECT_TRUE(key->set_dword(name, value)) << registry.problem();
    }
    EXPECT_EQ(read_file(path), GetParam().after);
    EXPECT_FALSE(file_exists(path + ".tmp"));
    // What was written reads back through a registry of its own.
    for (const auto& [name, value] : GetParam().sets) {
        EXPECT_EQ(query(path, name), value) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegFileWrite,
    ::testing::Values(
        WriteCase{"NewFileInRegeditLayout",
                  std::nullopt,
                  {{"REG11", 0x84}, {"Caution", 0xFFFFFFFF}},
                  kHeader + "\"REG11\"=dword:00000084\r\n\"Caution\"=dword:ffffffff\r\n\r\n"},
        WriteCase{"ChangeInPlaceKeepsOrderAndSpelling",
                  kHeader + "\"REG00\"=dword:00000002\r\n\"reg11\"=hex:84\r\n\"REG12\"=dword:"
                            "00000080\r\n\r\n",
                  {{"REG11", 0x85}},
                  kHeader + "\"REG00\"=dword:00000002\r\n\"reg11\"=dword:00000085\r\n\"REG12\"="
                            "dword:00000080\r\n\r\n"}),
    test::ByLabel());

TEST(RegFileWrite, KeepsThePermissionsOfTheFileItReplaces) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    write_file(path, kHeader);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    RegFileRegistry registry(path);
    ASSERT_TRUE(open_key(registry)->set_dword("REG00", 2));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// ---------------------------------------------------------------------------------------------
// Damaged files: no values, and kept aside by the first change.

struct DamagedCase {
    const char* label;
    std::string file;
};

// Every file below also holds a well-formed REG11, which a lenient reader would return.
const std::string kGoodLine = "\"REG11\"=dword:00000084\r\n";

class RegFileDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(RegFileDamaged, GivesNoValuesAndIsKeptAsideBeforeAChange) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    write_file(path, GetParam().file);

    RegFileRegistry registry(path);
    RegistryKey* key = open_key(registry);
    ASSERT_NE(key, nullptr);
    std::uint32_t value = 7;
    EXPECT_FALSE(key->query_dword("REG11", value));
    EXPECT_EQ(value, 7u);
    EXPECT_FALSE(registry.problem().empty());

    ASSERT_TRUE(key->set_dword("REG00", 2)) << registry.problem();
    const auto kept = names_starting(dir.path(), "settings.reg.bad-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(read_file(dir / kept[0]), GetParam().file);
    EXPECT_EQ(read_file(path), kHeader + "\"REG00\"=dword:00000002\r\n\r\n");
}

std::string utf16(const std::string& ascii) {
    std::string text = "\xFF\xFE";
    for (char c : ascii) {
        text += c;
        text += '\0';
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegFileDamaged,
    ::testing::Values(
        DamagedCase{"Empty", ""}, DamagedCase{"NoSignature", kHeader.substr(10) + kGoodLine},
        DamagedCase{"TruncatedInsideADword", kHeader + kGoodLine + "\"REG12\"=dword:000"},
        DamagedCase{"TruncatedAfterAContinuation", kHeader + kGoodLine + "\"B\"=hex:01,\\\r\n"},
        DamagedCase{"GarbledLine", kHeader + kGoodLine + "REG12=132\r\n"},
        DamagedCase{"ValueBeforeAnyKey", "REGEDIT4\r\n" + kGoodLine + kHeader.substr(10)},
        DamagedCase{"UnclosedKey", kHeader + kGoodLine + "[HKEY_CURRENT_USER\\X\r\n"},
        DamagedCase{"UnclosedString", kHeader + kGoodLine + "\"S\"=\"abc\r\n"},
        DamagedCase{"UnknownEscape", kHeader + kGoodLine + "\"S\"=\"a\\nb\"\r\n"},
        DamagedCase{"NineDigitDword", kHeader + kGoodLine + "\"A\"=dword:000000001\r\n"},
        DamagedCase{"ThreeDigitByte", kHeader + kGoodLine + "\"A\"=hex:100\r\n"},
        DamagedCase{"TrailingComma", kHeader + kGoodLine + "\"A\"=hex:01,\r\n"},
        DamagedCase{"AbsurdHexType", kHeader + kGoodLine + "\"A\"=hex(123456789):01\r\n"},
        DamagedCase{"NulByte", kHeader + kGoodLine + "\"A\"=dword:1\0\r\n"s},
        DamagedCase{"Utf16", utf16(kHeader + kGoodLine)},
        DamagedCase{"LongGarbageLine", kHeader + kGoodLine + std::string(200000, 'x') + "\r\n"},
        DamagedCase{"LargerThanTheCap",
                    kHeader + kGoodLine + ";" + std::string(kMaxSettingsFileSize, ' ') + "\r\n"}),
    test::ByLabel());

// ---------------------------------------------------------------------------------------------
// Paths the program cannot or must not use: the null key, and nothing outside is changed.

struct PathCase {
    const char* label;
    // Prepares the directory; returns the settings path to open.
    std::string (*prepare)(const TempDir& dir);
};

class RegFileUnusable : public ::testing::TestWithParam<PathCase> {};

TEST_P(RegFileUnusable, OpensNoKeyAndLeavesEverythingAsItWas) {
    TempDir dir;
    write_file(dir / "target", "REGEDIT4\r\n");
    const std::string path = GetParam().prepare(dir);
    RegFileRegistry registry(path);
    EXPECT_EQ(open_key(registry), nullptr);
    EXPECT_FALSE(registry.problem().empty());
    EXPECT_EQ(read_file(dir / "target"), "REGEDIT4\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RegFileUnusable,
    ::testing::Values(
        // Root may write anywhere, but not below a regular file.
        PathCase{"ParentIsARegularFile",
                 [](const TempDir& d) { return d / "target/vantrel/settings.reg"; }},
        PathCase{"NoHome", [](const TempDir&) { return std::string(); }},
        PathCase{"DirectoryAtThePath",
                 [](const TempDir& d) {
                     std::filesystem::create_directory(d / "settings.reg");
                     return d / "settings.reg";
                 }},
        PathCase{"SymbolicLink",
                 [](const TempDir& d) {
                     std::filesystem::create_symlink(d / "target", d / "settings.reg");
                     return d / "settings.reg";
                 }},
        PathCase{"Fifo",
                 [](const TempDir& d) {
                     ::mkfifo((d / "settings.reg").c_str(), 0600);
                     return d / "settings.reg";
                 }}),
    test::ByLabel());

TEST(RegFileUnusable, LinkPutInPlaceAfterOpeningIsNeitherReadNorReplaced) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    const std::string target_text = kHeader + "\"REG11\"=dword:00000084\r\n";
    write_file(dir / "target", target_text);
    RegFileRegistry registry(path);
    RegistryKey* key = open_key(registry);
    ASSERT_NE(key, nullptr);
    std::filesystem::create_symlink(dir / "target", path);

    std::uint32_t value = 0;
    EXPECT_FALSE(key->query_dword("REG11", value));
    EXPECT_FALSE(key->set_dword("REG11", 0x85));
    EXPECT_EQ(read_file(dir / "target"), target_text);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(names_starting(dir.path(), "settings.reg.").empty());
}

TEST(RegFileUnusable, DirectoryGoneAfterOpeningFailsTheChange) {
    TempDir dir;
    std::filesystem::create_directory(dir / "conf");
    RegFileRegistry registry(dir / "conf/settings.reg");
    RegistryKey* key = open_key(registry);
    ASSERT_NE(key, nullptr);
    std::filesystem::remove(dir / "conf");
    write_file(dir / "conf", "not a directory");

    EXPECT_FALSE(key->set_dword("REG00", 1));
    EXPECT_FALSE(registry.problem().empty());
    EXPECT_EQ(read_file(dir / "conf"), "not a directory");
}

// ---------------------------------------------------------------------------------------------
// Directories: made by the first write when the registry may make them, never by an open or a
// read.

struct DirectoryCase {
    const char* label;
    DirectoryCreation creation;
    bool opens;           // a key is given
    bool written;         // a write after a failed read makes the directory and the file
    const char* problem;  // after opening, with "{dir}" for the missing directory
};

class RegFileDirectory : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(RegFileDirectory, MadeOnlyByAWriteThatMayMakeIt) {
    const DirectoryCase& row = GetParam();
    TempDir dir;
    const std::string missing = dir / "config/vantrel";
    RegFileRegistry registry(missing + "/settings.reg", row.creation);
    RegistryKey* key = open_key(registry);
    std::string problem = row.problem;
    if (const std::size_t at = problem.find("{dir}"); at != std::string::npos) {
        problem.replace(at, 5, missing);
    }
    EXPECT_EQ(registry.problem(), problem);
    ASSERT_EQ(key != nullptr, row.opens);
    if (key != nullptr) {
        std::uint32_t value = 0;
        EXPECT_FALSE(key->query_dword("REG11", value));
        EXPECT_EQ(registry.finding(), FileFinding::Absent);
        EXPECT_FALSE(file_exists(dir / "config")) << "made by an open or a read";
        EXPECT_EQ(key->set_dword("REG11", 0x85), row.written) << registry.problem();
    }
    EXPECT_EQ(file_exists(missing + "/settings.reg"), row.written);
    EXPECT_EQ(file_exists(dir / "config"), row.written);
}

INSTANTIATE_TEST_SUITE_P(
    Policies, RegFileDirectory,
    ::testing::Values(DirectoryCase{"Created", DirectoryCreation::CreateWhenMissing, true, true,
                                    ""},
                      DirectoryCase{"MustExist", DirectoryCreation::MustExist, false, false,
                                    "its directory {dir} does not exist"}),
    test::ByLabel());

TEST(RegFileValues, SaysWhichValueIsMissingOrTooLong) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    write_file(path, kHeader + "\"REG13\"=hex:1f,00,00,00,00,00,00,00\r\n");
    RegFileRegistry registry(path);
    RegistryKey* key = open_key(registry);
    ASSERT_NE(key, nullptr);
    std::uint32_t value = 0;
    EXPECT_FALSE(key->query_dword("REG11", value));
    EXPECT_FALSE(key->query_dword("reg13", value));
    EXPECT_EQ(registry.finding(), FileFinding::Parsed);
    EXPECT_EQ(registry.value_problem("REG11"), "REG11 is not there");
    EXPECT_EQ(registry.value_problem("REG13"), "reg13 holds 8 bytes, more than the 4 of a DWORD");
    EXPECT_EQ(registry.value_problem("REG00"), "");
}

// ---------------------------------------------------------------------------------------------
// Crash safety: a writer killed just before its rename leaves the old file whole.

struct CrashCase {
    const char* label;
    std::string before;
    bool damaged;  // a damaged file is kept aside before the write
};

class RegFileCrash : public ::testing::TestWithParam<CrashCase> {};

TEST_P(RegFileCrash, KilledBeforeRenameLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir / "settings.reg";
    write_file(path, GetParam().before);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        RegFileRegistry registry(path);
        registry.set_before_replace([&] {
            const char byte = 1;
            (void)!::write(ready[1], &byte, 1);
            while (true) {
                ::pause();
            }
        });
        RegistryKey* key = open_key(registry);
        if (key != nullptr) {
            key->set_dword("REG11", 0x99);
        }
        ::_exit(1);  // the hook never returns, so reaching here means no write happened
    }
    ::close(ready[1]);
    char byte = 0;
    const ssize_t got = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(got, 1) << "the child never reached the rename";
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(read_file(path), GetParam().before);
    EXPECT_EQ(names_starting(dir.path(), "settings.reg.bad-").size(), GetParam().damaged ? 1u : 0u);
    // The next run replaces the leftover temporary file and saves normally.
    RegFileRegistry registry(path);
    ASSERT_TRUE(open_key(registry)->set_dword("REG11", 0x85)) << registry.problem();
    EXPECT_EQ(query(path, "REG11"), 0x85u);
    EXPECT_FALSE(file_exists(path + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegFileCrash,
    ::testing::Values(CrashCase{"GoodFile", kHeader + "\"REG11\"=dword:00000084\r\n\r\n", false},
                      CrashCase{"DamagedFile", "garbage\r\n", true}),
    test::ByLabel());

// ---------------------------------------------------------------------------------------------
// Where the file lives.

struct PathSourceCase {
    const char* label;
    const char* xdg;
    const char* home;
    const char* account;
    const char* expected;
};

class SettingsPath : public ::testing::TestWithParam<PathSourceCase> {};

TEST_P(SettingsPath, FollowsTheXdgRules) {
    const auto& c = GetParam();
    EXPECT_EQ(settings_path_from({c.xdg, c.home, c.account}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, SettingsPath,
    ::testing::Values(
        PathSourceCase{"XdgFirst", "/x", "/h", "/a", "/x/vantrel/settings.reg"},
        PathSourceCase{"HomeWithoutXdg", nullptr, "/h", "/a", "/h/.config/vantrel/settings.reg"},
        PathSourceCase{"EmptyXdgIgnored", "", "/h", "/a", "/h/.config/vantrel/settings.reg"},
        PathSourceCase{"RelativeXdgIgnored", "conf", "/h", "", "/h/.config/vantrel/settings.reg"},
        PathSourceCase{"AccountWithoutHome", nullptr, nullptr, "/a",
                       "/a/.config/vantrel/settings.reg"},
        PathSourceCase{"RelativeHomeIgnored", nullptr, "h", "/a",
                       "/a/.config/vantrel/settings.reg"},
        PathSourceCase{"NothingAtAll", nullptr, nullptr, "", ""},
        PathSourceCase{"RootHome", nullptr, "/", "/a", "/.config/vantrel/settings.reg"},
        PathSourceCase{"TrailingSlashes", "/x//", "/h", "/a", "/x/vantrel/settings.reg"},
        PathSourceCase{"RootAccountHome", nullptr, nullptr, "/", "/.config/vantrel/settings.reg"}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
