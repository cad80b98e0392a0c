// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>

#include "platform/linux/text_file.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

using test::TempDir;

// Writes a file in the directory and returns its path.
std::string put(const TempDir& dir, const std::string& name, const std::string& content) {
    test::write_file(dir / name, content);
    return dir / name;
}

struct FileCase {
    const char* label;
    // Makes the thing to read in the scratch directory and returns its path.
    std::string (*make)(const TempDir& dir);
    std::size_t limit;
    bool ok;
    const char* result;  // the text read, or the error
};

class SmallFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(SmallFile, ReadsOnlyASmallRegularFile) {
    TempDir dir;
    const std::string path = GetParam().make(dir);
    std::string text = "untouched";
    std::string error;
    EXPECT_EQ(read_small_file(path, GetParam().limit, text, error), GetParam().ok);
    if (GetParam().ok) {
        EXPECT_EQ(text, GetParam().result);
    } else {
        EXPECT_EQ(error, GetParam().result);
        EXPECT_EQ(text, "untouched");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SmallFile,
    ::testing::Values(
        FileCase{"Regular", [](const TempDir& d) { return put(d, "a", "00: 01\n"); }, 64, true,
                 "00: 01\n"},
        FileCase{"Empty", [](const TempDir& d) { return put(d, "a", ""); }, 64, true, ""},
        FileCase{"AtTheLimit", [](const TempDir& d) { return put(d, "a", "0123456789"); }, 10, true,
                 "0123456789"},
        FileCase{"OverTheLimit", [](const TempDir& d) { return put(d, "a", "0123456789x"); }, 10,
                 false, "is larger than 10 bytes"},
        FileCase{"Directory", [](const TempDir& d) { return d.path(); }, 64, false,
                 "is a directory, not a file"},
        FileCase{"EndlessDevice", [](const TempDir&) { return std::string("/dev/zero"); }, 64,
                 false, "is not a regular file"},
        // A pipe with no writer: refused at once instead of waiting for one.
        FileCase{"Fifo",
                 [](const TempDir& d) {
                     const std::string at = d.path() + "/fifo";
                     EXPECT_EQ(::mkfifo(at.c_str(), 0600), 0);
                     return at;
                 },
                 64, false, "is not a regular file"},
        FileCase{"Missing", [](const TempDir& d) { return d.path() + "/none"; }, 64, false,
                 "No such file or directory"}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
