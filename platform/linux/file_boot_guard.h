// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/durable_file.h"
#include "ui/boot_guard.h"

namespace vantrel::platform {

// Where the boot guard lives unless the command line names another directory.
inline constexpr const char* kDefaultStateDir = "/var/lib/vantrel";

// The boot guard as the file "boot-guard" in a state directory, in words a user reading the
// file understands: written and flushed to the disk before anything touches the chip, removed
// after a successful apply, and rewritten with the reason when the load fails.
class FileBootGuard : public BootGuard {
  public:
    explicit FileBootGuard(std::string state_dir, FileCalls& calls = system_file_calls());

    const std::string& path() const { return path_; }

    bool present(std::string& failure) override;
    // Creates the directory, and those above it, when missing; fails when a guard is there
    // already.
    bool set() override;
    bool record_failure(std::string_view cause) override;
    bool clear() override;

    // What the file said at the last present(), as it says it (or why it could not be read).
    // A guard that cannot be looked at or read counts as present: the load it would stop
    // may be the one that hangs the machine.
    const std::string& record() const { return record_; }
    // Why the last set, record_failure or clear failed, in words for the user.
    const std::string& problem() const { return problem_; }

  private:
    bool write(const std::string& content, bool exclusive);

    FileCalls& calls_;
    std::string dir_;
    std::string path_;
    std::string record_;
    std::string problem_;
};

}  // namespace vantrel::platform
