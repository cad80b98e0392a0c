// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantrel::platform {

InstanceLock::~InstanceLock() {
    release();
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool InstanceLock::acquire(const std::string& path, bool& held_elsewhere, std::string& message,
                           FileCalls& calls) {
    release();
    held_elsewhere = false;
    const int fd =
        calls.open_at(AT_FDCWD, path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        message = "Cannot open the lock file " + path + ": " + std::strerror(errno) + ".";
        return false;
    }
    if (calls.flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error_number = errno;
        // Only EWOULDBLOCK means another holder: ENOLCK (NFS without a lock daemon) and the
        // like say the file cannot be locked at all.
        if (error_number != EWOULDBLOCK) {
            ::close(fd);
            message = "Cannot lock " + path + ": " + std::strerror(error_number) + ".";
            return false;
        }
        char text[32] = {};
        const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
        ::close(fd);
        long pid = 0;
        const bool named = length > 0 && std::sscanf(text, "%ld", &pid) == 1 && pid > 0;
        held_elsewhere = true;
        message = std::string("Another Vantrel program") +
                  (named ? " (process " + std::to_string(pid) + ")" : "") +
                  " is using the hardware; only one may drive the clock chip at a time (lock "
                  "file " +
                  path + ").";
        return false;
    }
    // The holder's process ID, for the message of the next one to try.
    const std::string pid = std::to_string(::getpid()) + "\n";
    const bool noted = ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) >= 0;
    (void)noted;  // the lock is held either way; only the courtesy text would be missing
    fd_ = fd;
    return true;
}

}  // namespace vantrel::platform
