// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

// The write(2) call, replaced in tests by one that writes less or is interrupted.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);

// The system calls that put a file on the disk and keep other programs out, each as the system
// has it. A test derives from it to fail a chosen call or to see the order of the calls; the
// results and errno are the system's.
class FileCalls {
  public:
    virtual ~FileCalls() = default;
    virtual int open_at(int dir_fd, const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int rename_at(int from_dir_fd, const char* from, int to_dir_fd, const char* to);
    virtual int unlink_at(int dir_fd, const char* path, int flags);
    virtual int flock(int fd, int operation);
};

// The system's own calls.
FileCalls& system_file_calls();

// Writes all of `text` through `calls`, as write_all does.
bool write_all(FileCalls& calls, int fd, std::string_view text);
// Writes all of `text` and flushes the file to the disk. False with errno set.
bool write_durably(FileCalls& calls, int fd, std::string_view text);

// Writes all of `text`, going on after a short write or an interrupted call. False with errno
// set when the system refuses, or when it takes nothing at all.
bool write_all(int fd, std::string_view text, WriteCall write_call = ::write);

// Writes all of `text` and flushes the file to the disk. False with errno set.
bool write_durably(int fd, std::string_view text, WriteCall write_call = ::write);

// Flushes a directory, so that a creation, rename or removal in it is on the disk too.
bool sync_directory(int dir_fd, FileCalls& calls = system_file_calls());
void sync_directory(const std::string& dir, FileCalls& calls = system_file_calls());

// Where a replacement goes: the file `base` in the open directory `dir_fd`, named `dir` in
// messages.
struct FileInDirectory {
    int dir_fd = -1;
    std::string dir;
    std::string base;
};

// Puts `text` in place of the file so that a crash leaves the old file or the new one, whole: a
// temporary file beside it (`base` + ".tmp", a leftover of a crash simply replaced) is written,
// given `mode` when set, synced, renamed over the file, and the directory synced. The caller
// keeps other writers of the same file out. `before_replace`, when set, runs just before the
// rename. On failure `problem` says which step failed, in words for the user, and no temporary
// file is left.
bool replace_file(const FileInDirectory& file, std::string_view text, std::optional<mode_t> mode,
                  const std::function<void()>& before_replace, std::string& problem,
                  FileCalls& calls = system_file_calls());

}  // namespace vantrel::platform
