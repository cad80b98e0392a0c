#pragma once

#include <string>

namespace vantrel::cli {

// Where the boot guard lives unless the command line names another directory.
inline constexpr const char* kDefaultStateDir = "/var/lib/vantrel";

// The file that keeps a boot-time load from running again after one that never finished: it is
// written before the chip is touched and removed after a successful apply, so finding it at
// boot means the machine hung or was reset during the last boot-time load (or that load
// failed, which the file then says).
class BootGuard {
  public:
    explicit BootGuard(std::string state_dir);

    const std::string& path() const { return path_; }

    // Whether the guard is there; `content` then holds what it says.
    bool present(std::string& content) const;
    // Creates the guard (and its directory), flushed to the disk, before anything touches the
    // chip; false with the reason when it cannot, or when one is there already.
    bool arm(std::string& error);
    // Replaces what the guard says: why the boot-time load failed. It stays.
    bool mark_failed(const std::string& reason, std::string& error);
    // Removes the guard. Succeeds when there is none.
    bool clear(std::string& error);

  private:
    bool write(const std::string& content, bool exclusive, std::string& error);

    std::string dir_;
    std::string path_;
};

}  // namespace vantrel::cli
