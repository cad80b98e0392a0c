#pragma once

#include <string>

namespace vantrel::test {

// A fresh directory under the test's temporary directory, removed with its content when the
// object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // Writes a file in the directory and returns its path.
    std::string file(const std::string& name, const std::string& content) const;

  private:
    std::string path_;
};

}  // namespace vantrel::test
