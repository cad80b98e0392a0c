// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kernel/i2c_dev_system.h"

#include "platform/linux/access/account_lookup.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform {

int RealI2cDevSystem::open_node(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

int RealI2cDevSystem::ioctl(int fd, unsigned long request, void* arg) {
    const int result = ::ioctl(fd, request, arg);
    return result >= 0 ? result : -errno;
}

void RealI2cDevSystem::close_node(int fd) {
    ::close(fd);
}

int RealI2cDevSystem::lock_node(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : -errno;
}

std::string RealI2cDevSystem::node_group(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return lookup_group_name(info.st_gid).value_or(std::to_string(info.st_gid));
}

}  // namespace vantrel::platform
