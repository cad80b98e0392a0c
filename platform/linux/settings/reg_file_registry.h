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

// Whether a missing directory of the file is made when the file is first written: yes for the
// programs' own configuration directory, no for a path the user named.
enum class DirectoryCreation : std::uint8_t { CreateWhenMissing, MustExist };

// What the last read found at the path.
enum class FileFinding : std::uint8_t {
    Absent,    // no file there
    Parsed,    // a file in the format
    Damaged,   // a file, but not one in the format (empty, another format, garbage, too large)
    Unusable,  // something that cannot be read: not a regular file, no permission
};

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
    explicit RegFileRegistry(std::string path,
                             DirectoryCreation creation = DirectoryCreation::CreateWhenMissing);
    ~RegFileRegistry() override;
    RegFileRegistry(const RegFileRegistry&) = delete;
    RegFileRegistry& operator=(const RegFileRegistry&) = delete;

    // Creates nothing: a missing directory is made by the first change, and only when the
    // registry may create it. nullptr when the path is empty, the directory is missing and may
    // not be made, cannot be made or written, or something other than a regular file is at the
    // path. `path` is the key below HKEY_LOCAL_MACHINE; the key belongs to the registry.
    RegistryKey* create_or_open(std::string_view path) override;

    const std::string& path() const { return path_; }
    // What the last operation found wrong with the file, in words for the user that follow its
    // path ("PATH: problem"); empty when nothing was.
    const std::string& problem() const { return problem_; }
    // What the last read found at the path.
    FileFinding finding() const { return finding_; }
    // Why the last query of the value `name` failed in a file that was read ("is not there",
    // "holds 8 bytes, ..."); empty when it did not fail or the file could not be read.
    std::string value_problem(std::string_view name) const;

    // For tests of crash safety: runs when the new file is written and synced, just before it
    // replaces the old one.
    void set_before_replace(std::function<void()> hook) { before_replace_ = std::move(hook); }

  private:
    class Key;

    bool query(const std::string& key_path, std::string_view name, std::uint32_t& value);
    bool set(const std::string& key_path, std::string_view name, std::uint32_t value);

    std::string path_;
    DirectoryCreation creation_;
    std::string problem_;
    FileFinding finding_ = FileFinding::Absent;
    std::map<std::string, std::string> value_problems_;  // by the value's name in upper case
    std::function<void()> before_replace_;
    std::map<std::string, std::unique_ptr<Key>> keys_;  // by the key's path in upper case
};

}  // namespace vantrel::platform
