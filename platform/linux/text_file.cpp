// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrel::platform {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool read_up_to(int fd, std::size_t limit, std::string& text, int& error_number) {
    std::string content;
    char chunk[16384];
    while (content.size() <= limit) {
        const std::size_t wanted = std::min(sizeof chunk, limit + 1 - content.size());
        const ssize_t got = ::read(fd, chunk, wanted);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error_number = errno;
            return false;
        }
        if (got == 0) {
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
    }
    text = std::move(content);
    return true;
}

bool read_small_file(const std::string& path, std::size_t limit, std::string& text,
                     std::string& error) {
    // Non-blocking, so that opening a FIFO without a writer returns at once and is then refused
    // as not a regular file.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        error = "is a directory, not a file";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "is not a regular file";
        return false;
    }
    if (static_cast<unsigned long long>(status.st_size) > limit) {
        error = "is larger than " + std::to_string(limit) + " bytes";
        return false;
    }
    // The file can grow while it is read: the limit holds for what is read, not only for the
    // size fstat saw.
    std::string content;
    int error_number = 0;
    if (!read_up_to(fd.get(), limit, content, error_number)) {
        error = std::strerror(error_number);
        return false;
    }
    if (content.size() > limit) {
        error = "is larger than " + std::to_string(limit) + " bytes";
        return false;
    }
    text = std::move(content);
    return true;
}

}  // namespace vantrel::platform
