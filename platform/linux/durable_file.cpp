// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/durable_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/text_file.h"

namespace vantrel::platform {

int FileCalls::open_at(int dir_fd, const char* path, int flags, mode_t mode) {
    return ::openat(dir_fd, path, flags, mode);
}

ssize_t FileCalls::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileCalls::fsync(int fd) {
    return ::fsync(fd);
}

int FileCalls::rename_at(int from_dir_fd, const char* from, int to_dir_fd, const char* to) {
    return ::renameat(from_dir_fd, from, to_dir_fd, to);
}

int FileCalls::unlink_at(int dir_fd, const char* path, int flags) {
    return ::unlinkat(dir_fd, path, flags);
}

int FileCalls::flock(int fd, int operation) {
    return ::flock(fd, operation);
}

FileCalls& system_file_calls() {
    static FileCalls calls;
    return calls;
}

namespace {

// The system's calls with write(2) in place of the given one.
class WriteOnly : public FileCalls {
  public:
    explicit WriteOnly(WriteCall call) : call_(call) {}
    ssize_t write(int fd, const void* data, std::size_t size) override {
        return call_(fd, data, size);
    }

  private:
    WriteCall call_;
};

}  // namespace

bool write_all(FileCalls& calls, int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = calls.write(fd, text.data(), text.size());
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

bool write_all(int fd, std::string_view text, WriteCall write_call) {
    WriteOnly calls(write_call);
    return write_all(calls, fd, text);
}

bool write_durably(FileCalls& calls, int fd, std::string_view text) {
    return write_all(calls, fd, text) && calls.fsync(fd) == 0;
}

bool write_durably(int fd, std::string_view text, WriteCall write_call) {
    WriteOnly calls(write_call);
    return write_durably(calls, fd, text);
}

bool sync_directory(int dir_fd, FileCalls& calls) {
    return calls.fsync(dir_fd) == 0;
}

void sync_directory(const std::string& dir, FileCalls& calls) {
    const FileDescriptor fd(
        calls.open_at(AT_FDCWD, dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (fd.get() >= 0) {
        sync_directory(fd.get(), calls);
    }
}

bool replace_file(const FileInDirectory& file, std::string_view text, std::optional<mode_t> mode,
                  const std::function<void()>& before_replace, std::string& problem,
                  FileCalls& calls) {
    const int dir = file.dir_fd;
    const std::string temp = file.base + ".tmp";
    if (calls.unlink_at(dir, temp.c_str(), 0) != 0 && errno != ENOENT) {
        problem = "cannot remove the old temporary file " + file.dir + "/" + temp + ": " +
                  std::strerror(errno);
        return false;
    }
    FileDescriptor out(calls.open_at(dir, temp.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    auto fail = [&](const std::string& what) {
        const int error_number = errno;
        calls.unlink_at(dir, temp.c_str(), 0);
        problem = what + " " + file.dir + "/" + temp + ": " + std::strerror(error_number);
        return false;
    };
    if (out.get() < 0) {
        return fail("cannot create");
    }
    if (mode && ::fchmod(out.get(), *mode) != 0) {
        return fail("cannot set the permissions of");
    }
    if (!write_all(calls, out.get(), text)) {
        return fail("cannot write");
    }
    if (calls.fsync(out.get()) != 0) {
        return fail("cannot flush");
    }
    if (::close(out.release()) != 0) {
        return fail("cannot close");
    }
    if (before_replace) {
        before_replace();
    }
    if (calls.rename_at(dir, temp.c_str(), dir, file.base.c_str()) != 0) {
        return fail("cannot rename");
    }
    // The rename is durable only once the directory itself reaches the disk.
    if (!sync_directory(dir, calls)) {
        problem = "cannot flush the directory " + file.dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace vantrel::platform
