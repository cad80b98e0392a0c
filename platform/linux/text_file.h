// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace vantrel::platform {

// Closes a descriptor on every way out, unless it is released.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

// Reads `fd` to its end, but never more than `limit` + 1 bytes: a file that grows while it is
// read still cannot take unbounded memory, and one over the limit shows as `text` longer than
// `limit`. On a read error returns false with the errno in `error_number`.
bool read_up_to(int fd, std::size_t limit, std::string& text, int& error_number);

// Reads a whole regular file of at most `limit` bytes. Anything else (a directory, a device
// such as /dev/zero, a pipe, a file that is too large or cannot be opened) is refused before
// its content is read, with a reason a user can act on. Nothing is written on failure.
bool read_small_file(const std::string& path, std::size_t limit, std::string& text,
                     std::string& error);

}  // namespace vantrel::platform
