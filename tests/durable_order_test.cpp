// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/durable_file.h"
#include "platform/linux/file_boot_guard.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/text_file.h"
#include "platform/windows/registry_boot_guard.h"
#include "support/param_name.h"
#include "support/recording_file_calls.h"
#include "support/temp_dir.h"

// The order of the system calls that make the settings file and the boot guard durable, and
// what a failure at each of them leaves behind.

namespace vantrel::platform {
namespace {

using test::PrintTo;
using test::RecordingFileCalls;

const std::string kOld = "old settings\n";
const std::string kNew = "the new settings, longer than one short write\n";

// ---------------------------------------------------------------------------------------------
// The settings file's replacement.

struct ReplaceCase {
    const char* label;
    const char* fail_call;  // empty: nothing fails
    unsigned nth;
    std::size_t write_limit;
    bool replaced;            // replace_file's answer
    const std::string* left;  // what the file holds afterwards
    const char* problem;      // the start of the problem, when it failed
};

class ReplaceFile : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceFile, LeavesTheOldFileOrTheNewOneAndNoTemporary) {
    const ReplaceCase& row = GetParam();
    test::TempDir dir;
    test::write_file(dir / "settings.reg", kOld);
    const FileDescriptor dir_fd(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_GE(dir_fd.get(), 0);
    RecordingFileCalls calls;
    calls.name(dir_fd.get(), "DIR");
    calls.fail_call = row.fail_call;
    calls.fail_nth = row.nth;
    calls.write_limit = row.write_limit;

    std::string problem;
    EXPECT_EQ(replace_file({dir_fd.get(), dir.path(), "settings.reg"}, kNew, std::nullopt, {},
                           problem, calls),
              row.replaced);
    EXPECT_EQ(test::read_file(dir / "settings.reg"), *row.left);
    EXPECT_FALSE(test::file_exists(dir / "settings.reg.tmp"));
    EXPECT_TRUE(problem.starts_with(row.problem)) << problem;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Failures, ReplaceFile, ::testing::Values(
    ReplaceCase{"Whole", "", 0, 0, true, &kNew, ""},
    ReplaceCase{"ShortWrites", "", 0, 7, true, &kNew, ""},
    ReplaceCase{"OldTemporary", "unlink", 1, 0, false, &kOld, "cannot remove the old temporary file"},
    ReplaceCase{"Create", "open", 1, 0, false, &kOld, "cannot create"},
    ReplaceCase{"FirstWrite", "write", 1, 0, false, &kOld, "cannot write"},
    ReplaceCase{"WriteAfterAShortOne", "write", 3, 7, false, &kOld, "cannot write"},
    ReplaceCase{"FileFlush", "fsync", 1, 0, false, &kOld, "cannot flush"},
    ReplaceCase{"Rename", "rename", 1, 0, false, &kOld, "cannot rename"},
    // After the rename the new file is in place; only its directory entry may not be on disk.
    ReplaceCase{"DirectoryFlush", "fsync", 2, 0, false, &kNew, "cannot flush the directory"}),
    test::ByLabel());
// clang-format on

TEST(ReplaceFileOrder, FlushesTheFileBeforeTheRenameAndTheDirectoryAfterIt) {
    test::TempDir dir;
    test::write_file(dir / "settings.reg", kOld);
    const FileDescriptor dir_fd(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    RecordingFileCalls calls;
    calls.name(dir_fd.get(), "DIR");
    std::string problem;
    ASSERT_TRUE(replace_file({dir_fd.get(), dir.path(), "settings.reg"}, kNew, std::nullopt, {},
                             problem, calls))
        << problem;
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{"unlink settings.reg.tmp", "open settings.reg.tmp",
                                        "write settings.reg.tmp", "fsync settings.reg.tmp",
                                        "rename settings.reg.tmp settings.reg", "fsync DIR"}));
}

// ---------------------------------------------------------------------------------------------
// The boot guard's file.

enum class GuardStep : unsigned char { Set, RecordFailure, Clear };

struct GuardCase {
    const char* label;
    GuardStep step;
    const char* fail_call;  // empty: nothing fails
    bool done;
    std::vector<std::string> log;
};

class FileBootGuardCalls : public ::testing::TestWithParam<GuardCase> {};

TEST_P(FileBootGuardCalls, FlushTheGuardAndItsDirectory) {
    const GuardCase& row = GetParam();
    test::TempDir dir;
    const std::string state = dir / "state";
    if (row.step != GuardStep::Set) {
        std::filesystem::create_directory(state);
        test::write_file(state + "/boot-guard", "A boot-time load started.\n");
    }
    RecordingFileCalls calls;
    calls.fail_call = row.fail_call;
    FileBootGuard guard(state, calls);
    const bool done = row.step == GuardStep::Set             ? guard.set()
                      : row.step == GuardStep::RecordFailure ? guard.record_failure("it failed")
                                                             : guard.clear();
    EXPECT_EQ(done, row.done) << guard.problem();
    EXPECT_EQ(calls.log, row.log);
    EXPECT_EQ(guard.problem().empty(), row.done) << guard.problem();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, FileBootGuardCalls, ::testing::Values(
    GuardCase{"Set", GuardStep::Set, "", true, {"open boot-guard", "write boot-guard", "fsync boot-guard", "open state", "fsync state"}},
    GuardCase{"SetUnflushed", GuardStep::Set, "fsync", false, {"open boot-guard", "write boot-guard", "fsync boot-guard", "open state", "fsync state"}},
    GuardCase{"SetUnwritten", GuardStep::Set, "write", false, {"open boot-guard", "write boot-guard", "open state", "fsync state"}},
    GuardCase{"RecordFailure", GuardStep::RecordFailure, "", true, {"open boot-guard", "write boot-guard", "fsync boot-guard", "open state", "fsync state"}},
    GuardCase{"RecordUnflushed", GuardStep::RecordFailure, "fsync", false, {"open boot-guard", "write boot-guard", "fsync boot-guard", "open state", "fsync state"}},
    GuardCase{"Clear", GuardStep::Clear, "", true, {"unlink boot-guard", "open state", "fsync state"}},
    GuardCase{"ClearRefused", GuardStep::Clear, "unlink", false, {"unlink boot-guard"}}),
    test::ByLabel());
// clang-format on

// A guard that is there but cannot be read, or whose directory cannot be looked into, stops
// the load as any guard does.
struct PresentCase {
    const char* label;
    const char* make;  // "file", "directory", "under-a-file", "loop", "nothing"
    bool present;
    const char* record;  // the start of what record() says
};

class FileBootGuardPresent : public ::testing::TestWithParam<PresentCase> {};

TEST_P(FileBootGuardPresent, OnlyAMissingFileIsNoGuard) {
    const PresentCase& row = GetParam();
    test::TempDir dir;
    std::string state = dir / "state";
    const std::string make = row.make;
    if (make == "under-a-file") {
        test::write_file(state, "not a directory\n");
    } else if (make == "loop") {
        std::filesystem::create_directory_symlink(state, state);
    } else {
        std::filesystem::create_directory(state);
    }
    if (make == "file") {
        test::write_file(state + "/boot-guard", "A boot-time load started.\n");
    } else if (make == "directory") {
        std::filesystem::create_directory(state + "/boot-guard");
    }
    FileBootGuard guard(state);
    std::string failure = "left over";
    EXPECT_EQ(guard.present(failure), row.present);
    if (row.present) {
        EXPECT_TRUE(guard.record().starts_with(row.record)) << guard.record();
        EXPECT_EQ(failure, "");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, FileBootGuardPresent, ::testing::Values(
    PresentCase{"Readable", "file", true, "A boot-time load started."},
    PresentCase{"Unreadable", "directory", true, "("},
    PresentCase{"CannotLook", "loop", true, "(cannot look at it: Too many levels of symbolic links)"},
    PresentCase{"NoDirectory", "under-a-file", false, ""},
    PresentCase{"Missing", "nothing", false, ""}),
    test::ByLabel());
// clang-format on

// ---------------------------------------------------------------------------------------------
// The instance lock: only a lock held by another process is "another program".

struct LockCase {
    const char* label;
    int flock_errno;
    bool held_elsewhere;
    const char* message;  // its start; LOCK stands for the lock file
};

class InstanceLockFailure : public ::testing::TestWithParam<LockCase> {};

TEST_P(InstanceLockFailure, SaysWhetherAnotherProgramHoldsIt) {
    const LockCase& row = GetParam();
    test::TempDir dir;
    const std::string path = dir / "vantrel.lock";
    RecordingFileCalls calls;
    calls.fail_call = "flock";
    calls.fail_errno = row.flock_errno;
    InstanceLock lock;
    bool held_elsewhere = !row.held_elsewhere;
    std::string message;
    EXPECT_FALSE(lock.acquire(path, held_elsewhere, message, calls));
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(held_elsewhere, row.held_elsewhere);
    std::string expected = row.message;
    if (const std::size_t at = expected.find("LOCK"); at != std::string::npos) {
        expected.replace(at, 4, path);
    }
    EXPECT_TRUE(message.starts_with(expected)) << message;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Errors, InstanceLockFailure, ::testing::Values(
    LockCase{"HeldElsewhere", EWOULDBLOCK, true, "Another Vantrel program is using the hardware"},
    LockCase{"NoLocksOnNfs", ENOLCK, false, "Cannot lock LOCK: No locks available."},
    LockCase{"Interrupted", EINTR, false, "Cannot lock LOCK: Interrupted system call."}),
    test::ByLabel());
// clang-format on

// ---------------------------------------------------------------------------------------------
// The Windows program's guard in its registry key.

// A key that writes down each change and fails the one it is told to.
class RecordingGuardKey : public GuardKey {
  public:
    std::vector<std::string> log;
    std::string fail;  // the entry that fails
    bool has_value(std::string_view) override { return false; }
    bool query_string(std::string_view, std::string&) override { return false; }
    bool set_dword(std::string_view name, std::uint32_t) override {
        return note("set " + std::string(name));
    }
    bool set_string(std::string_view name, std::string_view) override {
        return note("set " + std::string(name));
    }
    bool delete_value(std::string_view name) override {
        return note("delete " + std::string(name));
    }
    bool flush() override { return note("flush"); }

  private:
    bool note(const std::string& entry) {
        log.push_back(entry);
        return entry != fail;
    }
};

struct RegistryGuardCase {
    const char* label;
    GuardStep step;
    const char* fail;
    bool done;
    std::vector<std::string> log;
};

class RegistryBootGuardCalls : public ::testing::TestWithParam<RegistryGuardCase> {};

TEST_P(RegistryBootGuardCalls, FlushesAndRemovesTheCauseFirst) {
    const RegistryGuardCase& row = GetParam();
    RecordingGuardKey key;
    key.fail = row.fail;
    RegistryBootGuard guard(&key);
    const bool done = row.step == GuardStep::Set             ? guard.set()
                      : row.step == GuardStep::RecordFailure ? guard.record_failure("it failed")
                                                             : guard.clear();
    EXPECT_EQ(done, row.done);
    EXPECT_EQ(key.log, row.log);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, RegistryBootGuardCalls, ::testing::Values(
    RegistryGuardCase{"Set", GuardStep::Set, "", true, {"set LoadGuard", "flush"}},
    RegistryGuardCase{"SetUnflushed", GuardStep::Set, "flush", false, {"set LoadGuard", "flush"}},
    RegistryGuardCase{"SetRefused", GuardStep::Set, "set LoadGuard", false, {"set LoadGuard"}},
    RegistryGuardCase{"RecordFailure", GuardStep::RecordFailure, "", true, {"set LoadGuardCause", "flush"}},
    RegistryGuardCase{"RecordUnflushed", GuardStep::RecordFailure, "flush", false, {"set LoadGuardCause", "flush"}},
    RegistryGuardCase{"Clear", GuardStep::Clear, "", true, {"delete LoadGuardCause", "delete LoadGuard", "flush"}},
    RegistryGuardCase{"ClearWithTheCauseKept", GuardStep::Clear, "delete LoadGuardCause", false, {"delete LoadGuardCause"}},
    RegistryGuardCase{"ClearUnflushed", GuardStep::Clear, "flush", false, {"delete LoadGuardCause", "delete LoadGuard", "flush"}}),
    test::ByLabel());
// clang-format on

TEST(RegistryBootGuardWithoutKey, CanBeNeitherSetNorCleared) {
    RegistryBootGuard guard(nullptr);
    std::string failure;
    EXPECT_FALSE(guard.present(failure));
    EXPECT_FALSE(guard.set());
    EXPECT_FALSE(guard.record_failure("x"));
    EXPECT_FALSE(guard.clear());
}

}  // namespace
}  // namespace vantrel::platform
