// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/durable_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux/text_file.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

// One answer of the scripted write(2): a byte count it takes, or -1 with an errno.
struct Answer {
    ssize_t result;
    int error_number;
};

// A write(2) that answers from a script, taking at most the bytes each answer allows, and
// records what it took; once the script runs out it takes everything.
struct ScriptedWrite {
    static std::vector<Answer> script;
    static std::size_t next;
    static std::string taken;

    static ssize_t call(int, const void* data, std::size_t size) {
        if (next < script.size()) {
            const Answer answer = script[next++];
            if (answer.result < 0) {
                errno = answer.error_number;
                return -1;
            }
            const std::size_t take = std::min(size, static_cast<std::size_t>(answer.result));
            taken.append(static_cast<const char*>(data), take);
            return static_cast<ssize_t>(take);
        }
        taken.append(static_cast<const char*>(data), size);
        return static_cast<ssize_t>(size);
    }
};
std::vector<Answer> ScriptedWrite::script;
std::size_t ScriptedWrite::next = 0;
std::string ScriptedWrite::taken;

struct WriteAllCase {
    const char* label;
    std::vector<Answer> script;
    bool written;
    const char* taken;
    int error_number;  // errno after a failure
};

class WriteAll : public ::testing::TestWithParam<WriteAllCase> {};

TEST_P(WriteAll, GoesOnUntilEverythingIsWrittenOrTheSystemRefuses) {
    ScriptedWrite::script = GetParam().script;
    ScriptedWrite::next = 0;
    ScriptedWrite::taken.clear();
    errno = 0;

    EXPECT_EQ(write_all(-1, "boot guard", &ScriptedWrite::call), GetParam().written);
    EXPECT_EQ(ScriptedWrite::taken, GetParam().taken);
    if (!GetParam().written) {
        EXPECT_EQ(errno, GetParam().error_number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, WriteAll,
    ::testing::Values(
        WriteAllCase{"AllAtOnce", {}, true, "boot guard", 0},
        WriteAllCase{"ShortWritesAreContinued", {{1, 0}, {3, 0}, {2, 0}}, true, "boot guard", 0},
        WriteAllCase{"InterruptedCallsAreRepeated",
                     {{-1, EINTR}, {4, 0}, {-1, EINTR}},
                     true,
                     "boot guard",
                     0},
        WriteAllCase{"ErrorAfterAShortWriteStops", {{4, 0}, {-1, EIO}}, false, "boot", EIO},
        WriteAllCase{"NothingTakenIsAFullDisk", {{5, 0}, {0, 0}}, false, "boot ", ENOSPC}),
    test::ByLabel());

TEST(WriteDurably, TheFileHoldsEverythingWrittenThroughShortWrites) {
    test::TempDir dir;
    const std::string path = dir / "guard";
    ScriptedWrite::script = {{2, 0}, {-1, EINTR}, {1, 0}};
    ScriptedWrite::next = 0;
    ScriptedWrite::taken.clear();
    // The scripted call only decides how much is taken; the real one puts it in the file.
    const auto short_then_real = [](int fd, const void* data, std::size_t size) -> ssize_t {
        const std::size_t before = ScriptedWrite::taken.size();
        const ssize_t allowed = ScriptedWrite::call(fd, data, size);
        ScriptedWrite::taken.resize(before);
        return allowed < 0 ? allowed : ::write(fd, data, static_cast<std::size_t>(allowed));
    };
    const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    ASSERT_GE(fd.get(), 0);

    EXPECT_TRUE(write_durably(fd.get(), "one line\n", short_then_real));
    EXPECT_EQ(test::read_file(path), "one line\n");
}

}  // namespace
}  // namespace vantrel::platform
