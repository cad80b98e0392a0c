// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings/reg_file_registry.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bus/ascii_text.h"
#include "platform/linux/durable_file.h"
#include "platform/linux/settings/regedit4_document.h"
#include "platform/linux/text_file.h"

namespace vantrel::platform {

namespace {

constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE\\";

std::string errno_text(int error_number) {
    return std::strerror(error_number);
}

struct SplitPath {
    std::string dir;
    std::string base;
};

SplitPath split_path(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The problems below follow the file's path, which the caller names once.
std::string not_regular(mode_t mode) {
    if (S_ISLNK(mode)) {
        return "it is a symbolic link; the settings file must be a regular file (name the real "
               "file with --settings)";
    }
    return "it is not a regular file";
}

using FileState = FileFinding;

struct LoadedFile {
    FileState state = FileState::Absent;
    Regedit4Document doc;
    bool have_mode = false;  // the permissions of the file read, kept by the file replacing it
    mode_t mode = 0;
    std::string problem;
};

// Reads the file at `base` inside the directory `dir_fd`.
LoadedFile load_file(int dir_fd, const std::string& base) {
    LoadedFile loaded;
    struct stat info {};
    if (::fstatat(dir_fd, base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            loaded.state = FileState::Absent;
            return loaded;
        }
        loaded.state = FileState::Unusable;
        loaded.problem = "cannot examine it: " + errno_text(errno);
        return loaded;
    }
    if (!S_ISREG(info.st_mode)) {
        loaded.state = FileState::Unusable;
        loaded.problem = not_regular(info.st_mode);
        return loaded;
    }
    // O_NOFOLLOW and the second look close the gap in which the file could be swapped for a
    // link or a device after the first one; O_NONBLOCK keeps a FIFO from hanging the open.
    FileDescriptor fd(
        ::openat(dir_fd, base.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        loaded.state = errno == ENOENT ? FileState::Absent : FileState::Unusable;
        loaded.problem = errno == ENOENT ? "" : "cannot read it: " + errno_text(errno);
        return loaded;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        loaded.state = FileState::Unusable;
        loaded.problem = not_regular(info.st_mode);
        return loaded;
    }
    loaded.have_mode = true;
    loaded.mode = info.st_mode & 0777;
    std::string text;
    int error_number = 0;
    if (!read_up_to(fd.get(), kMaxSettingsFileSize, text, error_number)) {
        loaded.state = FileState::Unusable;
        loaded.problem = "cannot read it: " + errno_text(error_number);
        return loaded;
    }
    if (text.size() > kMaxSettingsFileSize) {
        loaded.state = FileState::Damaged;
        loaded.problem = "it is larger than " + std::to_string(kMaxSettingsFileSize) +
                         " bytes, too large for a settings file";
        return loaded;
    }
    std::string error;
    if (!loaded.doc.parse(text, error)) {
        loaded.state = FileState::Damaged;
        // A line's fault is said with its number; the others name the kind of file.
        loaded.problem = error.starts_with("line ") ? "damaged at " + error : error;
        return loaded;
    }
    loaded.state = FileState::Parsed;
    return loaded;
}
std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Keeps a damaged file under a new name beside it, never over another file. A hard link leaves
// the file at its own name until the new one replaces it, so there is no moment without one.
bool keep_aside(int dir_fd, const std::string& base, std::string& kept, std::string& error) {
    const std::string stem = base + ".bad-" + timestamp();
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        if (::linkat(dir_fd, base.c_str(), dir_fd, name.c_str(), 0) == 0) {
            kept = name;
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        // File systems without hard links: move it instead, after making sure the name is free.
        struct stat info {};
        if (::fstatat(dir_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            continue;
        }
        if (::renameat(dir_fd, base.c_str(), dir_fd, name.c_str()) == 0) {
            kept = name;
            return true;
        }
        error = errno_text(errno);
        return false;
    }
    error = "no free name to keep it under";
    return false;
}

// The first directory of `dir` or above it that exists; empty when none can be examined.
std::string nearest_existing(std::string dir) {
    struct stat info {};
    while (::stat(dir.c_str(), &info) != 0) {
        if (errno != ENOENT || dir == "/" || dir == ".") {
            return {};
        }
        dir = split_path(dir).dir;
    }
    return dir;
}

bool make_directories(const std::string& dir) {
    std::string partial;
    std::size_t from = 0;
    while (from <= dir.size()) {
        const std::size_t slash = dir.find('/', from);
        partial = dir.substr(0, slash == std::string::npos ? dir.size() : slash);
        from = slash == std::string::npos ? dir.size() + 1 : slash + 1;
        if (partial.empty()) {
            continue;
        }
        // New directories are private to the user, as the XDG rules ask.
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

class RegFileRegistry::Key : public RegistryKey {
  public:
    Key(RegFileRegistry& registry, std::string path)
        : registry_(registry), path_(std::move(path)) {}

    bool query_dword(std::string_view name, std::uint32_t& value) override {
        return registry_.query(path_, name, value);
    }
    bool set_dword(std::string_view name, std::uint32_t value) override {
        return registry_.set(path_, name, value);
    }

  private:
    RegFileRegistry& registry_;
    std::string path_;  // as it appears between the brackets
};

RegFileRegistry::RegFileRegistry(std::string path, DirectoryCreation creation)
    : path_(std::move(path)), creation_(creation) {}

std::string RegFileRegistry::value_problem(std::string_view name) const {
    const auto found = value_problems_.find(ascii::upper_case(std::string(name)));
    return found == value_problems_.end() ? std::string() : found->second;
}

RegFileRegistry::~RegFileRegistry() = default;

RegistryKey* RegFileRegistry::create_or_open(std::string_view path) {
    problem_.clear();
    if (path_.empty()) {
        problem_ = "there is no home directory to keep the settings file in";
        return nullptr;
    }
    const SplitPath where = split_path(path_);
    struct stat info {};
    if (::stat(where.dir.c_str(), &info) != 0 && errno == ENOENT) {
        if (creation_ == DirectoryCreation::MustExist) {
            problem_ = "its directory " + where.dir + " does not exist";
            return nullptr;
        }
        // Made by the first change; what is there must let it be made.
        const std::string existing = nearest_existing(where.dir);
        if (existing.empty() || ::stat(existing.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            ::access(existing.c_str(), W_OK | X_OK) != 0) {
            problem_ = "cannot create the directory " + where.dir +
                       (existing.empty() ? std::string() : " in " + existing);
            return nullptr;
        }
    } else if (::stat(where.dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem_ = "cannot use the directory " + where.dir + ": " +
                   errno_text(S_ISDIR(info.st_mode) ? errno : ENOTDIR);
        return nullptr;
    } else if (::access(where.dir.c_str(), W_OK | X_OK) != 0) {
        problem_ = "cannot write in the directory " + where.dir + ": " + errno_text(errno);
        return nullptr;
    }
    if (::lstat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        problem_ = not_regular(info.st_mode);
        return nullptr;
    }
    const std::string full = std::string(kRootKey) + std::string(path);
    std::unique_ptr<Key>& key = keys_[ascii::upper_case(full)];
    if (!key) {
        key = std::make_unique<Key>(*this, full);
    }
    return key.get();
}

bool RegFileRegistry::query(const std::string& key_path, std::string_view name,
                            std::uint32_t& value) {
    problem_.clear();
    const std::string value_key = ascii::upper_case(std::string(name));
    value_problems_.erase(value_key);
    const SplitPath where = split_path(path_);
    FileDescriptor dir(::open(where.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        // A directory not made yet holds no file.
        finding_ = errno == ENOENT ? FileFinding::Absent : FileFinding::Unusable;
        problem_ = errno == ENOENT
                       ? ""
                       : "cannot open the directory " + where.dir + ": " + errno_text(errno);
        return false;
    }
    // Changes replace the file by rename, so a read sees one whole version without a lock.
    const LoadedFile file = load_file(dir.get(), where.base);
    problem_ = file.problem;
    finding_ = file.state;
    if (file.state != FileState::Parsed) {
        return false;
    }
    if (file.doc.query_dword(key_path, name, value)) {
        return true;
    }
    const std::optional<std::size_t> size = file.doc.data_size(key_path, name);
    value_problems_[value_key] = size ? std::string(name) + " holds " + std::to_string(*size) +
                                            " bytes, more than the 4 of a DWORD"
                                      : std::string(name) + " is not there";
    return false;
}

bool RegFileRegistry::set(const std::string& key_path, std::string_view name, std::uint32_t value) {
    problem_.clear();
    const SplitPath where = split_path(path_);
    int dir_fd = ::open(where.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0 && errno == ENOENT && creation_ == DirectoryCreation::CreateWhenMissing) {
        // Made only now, when there is something to write into it.
        if (!make_directories(where.dir)) {
            problem_ = "cannot create the directory " + where.dir + ": " + errno_text(errno);
            return false;
        }
        dir_fd = ::open(where.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    FileDescriptor dir(dir_fd);
    if (dir.get() < 0) {
        problem_ = "cannot open the directory " + where.dir + ": " + errno_text(errno);
        return false;
    }
    // Two programs saving at once would each rewrite the file from what they read; the lock on
    // the directory makes each read-change-replace whole, so neither loses the other's value.
    while (::flock(dir.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            problem_ = "cannot lock the directory " + where.dir + ": " + errno_text(errno);
            return false;
        }
    }

    LoadedFile file = load_file(dir.get(), where.base);
    switch (file.state) {
        case FileState::Parsed:
            break;
        case FileState::Absent:
            file.doc = Regedit4Document();
            break;
        case FileState::Damaged: {
            std::string kept;
            std::string error;
            if (!keep_aside(dir.get(), where.base, kept, error)) {
                problem_ = file.problem + "; it cannot be kept aside (" + error +
                           "), so it is left as it is";
                return false;
            }
            file.problem += "; kept as " + kept;
            file.doc = Regedit4Document();
            break;
        }
        case FileState::Unusable:
            problem_ = file.problem;
            return false;
    }
    problem_ = file.problem;
    file.doc.set_dword(key_path, name, value);
    std::optional<mode_t> mode;
    if (file.have_mode) {
        mode = file.mode;
    }
    // The directory lock keeps the temporary file to one writer.
    return replace_file({dir.get(), where.dir, where.base}, file.doc.text(), mode, before_replace_,
                        problem_);
}

}  // namespace vantrel::platform
