// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/file_boot_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/durable_file.h"
#include "platform/linux/text_file.h"

namespace vantrel::platform {

namespace {

constexpr std::size_t kMaxGuardBytes = 4096;
constexpr std::string_view kArmedText =
    "A boot-time load of the saved clock settings started and has not finished.\n";
constexpr std::string_view kFailedPrefix =
    "The last boot-time load of the saved clock settings failed: ";

std::string system_error(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

FileBootGuard::FileBootGuard(std::string state_dir, FileCalls& calls)
    : calls_(calls), dir_(std::move(state_dir)), path_(dir_ + "/boot-guard") {}

bool FileBootGuard::present(std::string& failure) {
    struct stat status {};
    if (::lstat(path_.c_str(), &status) != 0) {
        // Only a path that cannot lead to a file says there is none.
        if (errno == ENOENT || errno == ENOTDIR) {
            return false;
        }
        // Appended to a cleared string: GCC 12 at -O3 warns (-Wrestrict) on "literal" + a
        // returned string, and on assigning a literal here.
        const std::string cause = system_error("cannot look at it");
        record_.clear();
        record_.push_back('(');
        record_.append(cause);
        record_.append(")\n");
        failure.clear();
        return true;
    }
    std::string error;
    if (!read_small_file(path_, kMaxGuardBytes, record_, error)) {
        record_ = "(" + error + ")\n";
        failure.clear();
        return true;
    }
    const std::string_view text = record_;
    if (text.starts_with(kFailedPrefix) && text.ends_with('\n')) {
        failure = text.substr(kFailedPrefix.size(), text.size() - kFailedPrefix.size() - 1);
    } else {
        failure.clear();
    }
    return true;
}

bool FileBootGuard::set() {
    // A simulated board's state directory may be the first thing under ~/.local/state.
    for (std::size_t slash = dir_.find('/', 1); slash != std::string::npos;
         slash = dir_.find('/', slash + 1)) {
        const std::string parent = dir_.substr(0, slash);
        if (::mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) {
            problem_ = system_error("cannot make " + parent);
            return false;
        }
    }
    if (::mkdir(dir_.c_str(), 0755) != 0 && errno != EEXIST) {
        problem_ = system_error("cannot make " + dir_);
        return false;
    }
    return write(std::string(kArmedText), true);
}

bool FileBootGuard::record_failure(std::string_view cause) {
    return write(std::string(kFailedPrefix) + std::string(cause) + "\n", false);
}

bool FileBootGuard::write(const std::string& content, bool exclusive) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (exclusive ? O_EXCL : O_TRUNC);
    const FileDescriptor fd(calls_.open_at(AT_FDCWD, path_.c_str(), flags, 0644));
    if (fd.get() < 0 || !write_durably(calls_, fd.get(), content)) {
        problem_ = system_error("cannot write the boot guard " + path_);
        if (fd.get() >= 0) {
            sync_directory(dir_, calls_);
        }
        return false;
    }
    sync_directory(dir_, calls_);
    return true;
}

bool FileBootGuard::clear() {
    if (calls_.unlink_at(AT_FDCWD, path_.c_str(), 0) != 0 && errno != ENOENT) {
        problem_ = system_error("cannot remove the boot guard " + path_);
        return false;
    }
    sync_directory(dir_, calls_);
    return true;
}

}  // namespace vantrel::platform
