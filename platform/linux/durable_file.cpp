// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/text_file.h"

namespace vantrel::platform {

bool write_all(int fd, std::string_view text, WriteCall write_call) {
    while (!text.empty()) {
        const ssize_t put = write_call(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            return false;
        }
        if (put == 0) {
            // A file system that takes nothing and says nothing is full in all but name.
            errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool write_durably(int fd, std::string_view text, WriteCall write_call) {
    return write_all(fd, text, write_call) && ::fsync(fd) == 0;
}

bool sync_directory(int dir_fd) {
    return ::fsync(dir_fd) == 0;
}

void sync_directory(const std::string& dir) {
    const FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        sync_directory(fd.get());
    }
}

bool replace_file(const FileInDirectory& file, std::string_view text, std::optional<mode_t> mode,
                  const std::function<void()>& before_replace, std::string& problem) {
    const int dir = file.dir_fd;
    const std::string temp = file.base + ".tmp";
    if (::unlinkat(dir, temp.c_str(), 0) != 0 && errno != ENOENT) {
        problem = "cannot remove the old temporary file " + file.dir + "/" + temp + ": " +
                  std::strerror(errno);
        return false;
    }
    FileDescriptor out(
        ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    auto fail = [&](const std::string& what) {
        const int error_number = errno;
        ::unlinkat(dir, temp.c_str(), 0);
        problem = what + " " + file.dir + "/" + temp + ": " + std::strerror(error_number);
        return false;
    };
    if (out.get() < 0) {
        return fail("cannot create");
    }
    if (mode && ::fchmod(out.get(), *mode) != 0) {
        return fail("cannot set the permissions of");
    }
    if (!write_all(out.get(), text)) {
        return fail("cannot write");
    }
    if (::fsync(out.get()) != 0) {
        return fail("cannot flush");
    }
    if (::close(out.release()) != 0) {
        return fail("cannot close");
    }
    if (before_replace) {
        before_replace();
    }
    if (::renameat(dir, temp.c_str(), dir, file.base.c_str()) != 0) {
        return fail("cannot rename");
    }
    // The rename is durable only once the directory itself reaches the disk.
    if (!sync_directory(dir)) {
        problem = "cannot flush the directory " + file.dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace vantrel::platform
