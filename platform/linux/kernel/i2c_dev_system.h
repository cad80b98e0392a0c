// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace vantrel::platform {

// The system calls the kernel SMBus path makes on an i2c-dev node; replaced in tests and on the
// simulated board. Failures come back as a negative errno rather than through errno, so a fake
// cannot forget to set it.
class I2cDevSystem {
  public:
    virtual ~I2cDevSystem() = default;

    // Opens a device node for reading and writing; the descriptor, or -errno.
    virtual int open_node(const std::string& path) = 0;
    // ioctl(fd, request, arg); 0 or more on success, or -errno.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void close_node(int fd) = 0;
    // Takes the node's exclusive advisory lock without waiting, held until the node is closed:
    // 0, or -errno (-EWOULDBLOCK while another process holds it).
    virtual int lock_node(int fd) = 0;
    // The name of the group that owns a node, or empty when it cannot be told.
    virtual std::string node_group(const std::string& path) = 0;
};

// The real system calls.
class RealI2cDevSystem : public I2cDevSystem {
  public:
    int open_node(const std::string& path) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    void close_node(int fd) override;
    int lock_node(int fd) override;
    std::string node_group(const std::string& path) override;
};

}  // namespace vantrel::platform
