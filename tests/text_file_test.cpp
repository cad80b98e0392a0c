#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "platform/linux/text_file.h"
#include "support/param_name.h"

namespace vantrel::platform {
namespace {

// A fresh directory for the test's files, removed with them afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = ::testing::TempDir() + "vantrel-file-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
        EXPECT_FALSE(path_.empty());
    }
    ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string file(const std::string& name, const std::string& content) const {
        const std::string at = path_ + "/" + name;
        std::FILE* f = std::fopen(at.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f != nullptr) {
            std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
        }
        return at;
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

struct FileCase {
    const char* label;
    // Makes the thing to read in the scratch directory and returns its path.
    std::string (*make)(const ScratchDir& dir);
    std::size_t limit;
    bool ok;
    const char* result;  // the text read, or the error
};

void PrintTo(const FileCase& row, std::ostream* os) {
    *os << row.label;
}

class SmallFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(SmallFile, ReadsOnlyASmallRegularFile) {
    ScratchDir dir;
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
        FileCase{"Regular", [](const ScratchDir& d) { return d.file("a", "00: 01\n"); }, 64, true,
                 "00: 01\n"},
        FileCase{"Empty", [](const ScratchDir& d) { return d.file("a", ""); }, 64, true, ""},
        FileCase{"AtTheLimit", [](const ScratchDir& d) { return d.file("a", "0123456789"); }, 10,
                 true, "0123456789"},
        FileCase{"OverTheLimit", [](const ScratchDir& d) { return d.file("a", "0123456789x"); }, 10,
                 false, "is larger than 10 bytes"},
        FileCase{"Directory", [](const ScratchDir& d) { return d.path(); }, 64, false,
                 "is a directory, not a file"},
        FileCase{"EndlessDevice", [](const ScratchDir&) { return std::string("/dev/zero"); }, 64,
                 false, "is not a regular file"},
        // A pipe with no writer: refused at once instead of waiting for one.
        FileCase{"Fifo",
                 [](const ScratchDir& d) {
                     const std::string at = d.path() + "/fifo";
                     EXPECT_EQ(::mkfifo(at.c_str(), 0600), 0);
                     return at;
                 },
                 64, false, "is not a regular file"},
        FileCase{"Missing", [](const ScratchDir& d) { return d.path() + "/none"; }, 64, false,
                 "No such file or directory"}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
