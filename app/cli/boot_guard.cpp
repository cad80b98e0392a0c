#include "app/cli/boot_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/text_file.h"

namespace vantrel::cli {

namespace {

constexpr std::size_t kMaxGuardBytes = 4096;
constexpr const char* kArmedText =
    "A boot-time load of the saved clock settings started and has not finished.\n";

std::string system_error(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Makes a rename, creation or removal in the directory itself durable.
void sync_directory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

BootGuard::BootGuard(std::string state_dir)
    : dir_(std::move(state_dir)), path_(dir_ + "/boot-guard") {}

bool BootGuard::present(std::string& content) const {
    struct stat status {};
    if (::lstat(path_.c_str(), &status) != 0) {
        return false;
    }
    std::string error;
    if (!platform::read_small_file(path_, kMaxGuardBytes, content, error)) {
        content = "(" + error + ")\n";
    }
    return true;
}

bool BootGuard::arm(std::string& error) {
    if (::mkdir(dir_.c_str(), 0755) != 0 && errno != EEXIST) {
        error = system_error("cannot make " + dir_);
        return false;
    }
    return write(kArmedText, true, error);
}

bool BootGuard::mark_failed(const std::string& reason, std::string& error) {
    return write("The last boot-time load of the saved clock settings failed: " + reason + "\n",
                 false, error);
}

bool BootGuard::write(const std::string& content, bool exclusive, std::string& error) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (exclusive ? O_EXCL : O_TRUNC);
    const int fd = ::open(path_.c_str(), flags, 0644);
    if (fd < 0) {
        error = system_error("cannot write the boot guard " + path_);
        return false;
    }
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
        ::fsync(fd) == 0;
    if (!written) {
        error = system_error("cannot write the boot guard " + path_);
    }
    ::close(fd);
    sync_directory(dir_);
    return written;
}

bool BootGuard::clear(std::string& error) {
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
        error = system_error("cannot remove the boot guard " + path_);
        return false;
    }
    sync_directory(dir_);
    return true;
}

}  // namespace vantrel::cli
