// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/durable_file.h"

namespace vantrel::test {

// The system's file calls, each written down as "CALL NAME" (the file's last path component;
// "rename FROM TO") and passed on, except the one chosen to fail: the `fail_nth` call (from 1)
// of `fail_call` returns -1 with `fail_errno` without reaching the system. Writes take at most
// `write_limit` bytes when it is set, as a file system may.
class RecordingFileCalls : public platform::FileCalls {
  public:
    std::vector<std::string> log;
    std::string fail_call;
    unsigned fail_nth = 1;
    int fail_errno = EIO;
    std::size_t write_limit = 0;
    // Called with each entry as it is written down, before the call is made.
    std::function<void(const std::string&)> on_call;

    // Names a descriptor opened elsewhere, such as the directory a replacement goes to.
    void name(int fd, const std::string& as) { names_[fd] = as; }

    int open_at(int dir_fd, const char* path, int flags, mode_t mode) override {
        if (failing("open", path)) {
            return -1;
        }
        const int fd = FileCalls::open_at(dir_fd, path, flags, mode);
        if (fd >= 0) {
            names_[fd] = last_part(path);
        }
        return fd;
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        if (failing("write", name_of(fd))) {
            return -1;
        }
        return FileCalls::write(fd, data,
                                write_limit != 0 && size > write_limit ? write_limit : size);
    }
    int fsync(int fd) override { return failing("fsync", name_of(fd)) ? -1 : FileCalls::fsync(fd); }
    int rename_at(int from_dir, const char* from, int to_dir, const char* to) override {
        return failing("rename", last_part(from) + " " + last_part(to))
                   ? -1
                   : FileCalls::rename_at(from_dir, from, to_dir, to);
    }
    int unlink_at(int dir_fd, const char* path, int flags) override {
        return failing("unlink", path) ? -1 : FileCalls::unlink_at(dir_fd, path, flags);
    }
    int flock(int fd, int operation) override {
        return failing("flock", name_of(fd)) ? -1 : FileCalls::flock(fd, operation);
    }

  private:
    static std::string last_part(const std::string& path) {
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
    std::string name_of(int fd) const {
        const auto found = names_.find(fd);
        return found == names_.end() ? "fd " + std::to_string(fd) : found->second;
    }
    bool failing(const std::string& call, const std::string& what) {
        const std::string entry = call + " " + last_part(what);
        log.push_back(call == "rename" ? call + " " + what : entry);
        if (on_call) {
            on_call(log.back());
        }
        if (call == fail_call && ++seen_ == fail_nth) {
            errno = fail_errno;
            return true;
        }
        return false;
    }

    std::map<int, std::string> names_;
    unsigned seen_ = 0;
};

}  // namespace vantrel::test
