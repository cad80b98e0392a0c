#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

namespace vantrel::test {

ScratchDir::ScratchDir() {
    std::string pattern = ::testing::TempDir() + "vantrel-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    } else {
        ADD_FAILURE() << "cannot make a directory in " << ::testing::TempDir();
    }
}

ScratchDir::~ScratchDir() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

std::string ScratchDir::file(const std::string& name, const std::string& content) const {
    const std::string at = path_ + "/" + name;
    std::FILE* f = std::fopen(at.c_str(), "wb");
    EXPECT_NE(f, nullptr) << at;
    if (f != nullptr) {
        EXPECT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
        std::fclose(f);
    }
    return at;
}

}  // namespace vantrel::test
