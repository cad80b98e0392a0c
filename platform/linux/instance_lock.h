// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

#include "platform/linux/durable_file.h"

namespace vantrel::platform {

inline constexpr const char* kDefaultLockPath = "/run/vantrel.lock";

// Only one program drives the bus at a time: an flock on a lock file, held while this object
// lives and released by the kernel if the process dies.
class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. On failure says why; `held_elsewhere` tells a lock held by
    // another process from a lock file that cannot be used.
    bool acquire(const std::string& path, bool& held_elsewhere, std::string& message,
                 FileCalls& calls = system_file_calls());
    bool held() const { return fd_ >= 0; }
    void release();

  private:
    int fd_ = -1;
};

}  // namespace vantrel::platform
