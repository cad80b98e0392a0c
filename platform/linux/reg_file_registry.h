// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui/registry.h"

namespace vantrel::platform {

// The settings file is read whole; anything larger is not a settings file and counts as damaged.
inline constexpr std::size_t kMaxSettingsFileSize = std::size_t{1} << 20;

// The program's registry key kept in a text file in the registry-export format of Windows 98's
// regedit (a Regedit4Document), so one file can go back and forth between the two systems; keys
// and lines the program does not own are written back as they were. Each change re-reads the file
// and replaces it atomically (a temporary file beside it, synced, renamed over it, the directory
// synced), so a crash leaves the old file or the new one, and a program started beside this one
// sees each change whole. A file that cannot be parsed gives no values, and is kept aside under a
// ".bad-YYYYMMDD-HHMMSS" name before the first change replaces it. Only a regular file is read
// or replaced: a symbolic link or any other kind of file at the path is never followed, so a
// link cannot steer a write, or a move aside, to another file.
class RegFileRegistry : public Registry {
  public:
    explicit RegFileRegistry(std::string path);
    ~RegFileRegistry() override;
    RegFileRegistry(const RegFileRegistry&) = delete;
    RegFileRegistry& operator=(const RegFileRegistry&) = delete;

    // Creates the file's directory when missing. nullptr when the path is empty, the directory
    // cannot be created or written, or something other than a regular file is at the path.
    // `path` is the key below HKEY_LOCAL_MACHINE; the key belongs to the registry.
    RegistryKey* create_or_open(std::string_view path) override;

    const std::string& path() const { return path_; }
    // What the last operation found wrong with the file, in words for the user; empty when
    // nothing was.
    const std::string& problem() const { return problem_; }

    // For tests of crash safety: runs when the new file is written and synced, just before it
    // replaces the old one.
    void set_before_replace(std::function<void()> hook) { before_replace_ = std::move(hook); }

  private:
    class Key;

    bool query(const std::string& key_path, std::string_view name, std::uint32_t& value);
    bool set(const std::string& key_path, std::string_view name, std::uint32_t value);

    std::string path_;
    std::string problem_;
    std::function<void()> before_replace_;
    std::map<std::string, std::unique_ptr<Key>> keys_;  // by the key's path in upper case
};

}  // namespace vantrel::platform
