#include "platform/linux/reg_file_registry.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bus/ascii_text.h"
#include "platform/linux/text_file.h"

namespace vantrel::platform {

namespace {

constexpr std::string_view kSignature = "REGEDIT4";
constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::size_t kDwordSize = 4;

// ---------------------------------------------------------------------------------------------
// The file as lines

struct RegData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

// One logical line of the file. Kept with its physical lines so that whatever the program does
// not change is written back as it was read.
struct Entry {
    enum class Kind { Signature, Blank, Comment, Section, Value };
    Kind kind;
    std::vector<std::string> lines;
    std::string key;   // Section: the path between the brackets
    std::string name;  // Value: the name, "" for the default value "@"
    RegData data;      // Value
};

using Document = std::vector<Entry>;

// A quoted string at the start of `text` with regedit's two escapes, \\ and \". On success
// `text` is left after the closing quote.
bool parse_quoted(std::string_view& text, std::string& out) {
    if (text.empty() || text.front() != '"') {
        return false;
    }
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out = std::move(result);
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return false;
            }
            result.push_back(text[++i]);
        } else {
            result.push_back(c);
        }
    }
    return false;
}

// "aa,bb,cc": bytes of one or two hexadecimal digits; an empty list is an empty value.
bool parse_byte_list(std::string_view text, std::vector<std::uint8_t>& bytes) {
    text = ascii::trim_blanks(text);
    if (text.empty()) {
        return true;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        std::uint32_t byte = 0;
        if (!ascii::parse_hex_digits(ascii::trim_blanks(text.substr(0, comma)), 2, byte)) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

bool parse_data(std::string_view text, RegData& data, std::string& error) {
    if (!text.empty() && text.front() == '"') {
        std::string value;
        if (!parse_quoted(text, value) || !ascii::trim_blanks(text).empty()) {
            error = "a string value is not closed properly";
            return false;
        }
        data.type = kRegSz;
        data.bytes.assign(value.begin(), value.end());
        data.bytes.push_back(0);  // REG_SZ data holds its terminating NUL
        return true;
    }
    if (ascii::starts_with_ignoring_case(text, "dword:")) {
        std::uint32_t value = 0;
        if (!ascii::parse_hex_digits(ascii::trim_blanks(text.substr(6)), 8, value)) {
            error = "a dword value needs 1 to 8 hexadecimal digits";
            return false;
        }
        data.type = kRegDword;
        data.bytes.clear();
        for (std::size_t i = 0; i < kDwordSize; ++i) {
            data.bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return true;
    }
    std::string_view list;
    if (ascii::starts_with_ignoring_case(text, "hex:")) {
        data.type = kRegBinary;
        list = text.substr(4);
    } else if (ascii::starts_with_ignoring_case(text, "hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos ||
            !ascii::parse_hex_digits(text.substr(4, close - 4), 8, data.type)) {
            error = "a hex(N) type needs 1 to 8 hexadecimal digits";
            return false;
        }
        list = text.substr(close + 2);
    } else {
        error = "unknown value type";
        return false;
    }
    data.bytes.clear();
    if (!parse_byte_list(list, data.bytes)) {
        error = "hex data must be bytes of two hexadecimal digits separated by commas";
        return false;
    }
    return true;
}

struct PhysicalLines {
    std::vector<std::string> lines;
    bool last_unterminated = false;
};

PhysicalLines split_lines(std::string_view text) {
    PhysicalLines result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        result.lines.emplace_back(line);
        if (end == std::string_view::npos) {
            result.last_unterminated = true;
            break;
        }
        text.remove_prefix(end + 1);
    }
    return result;
}

std::string at_line(std::size_t number, const std::string& what) {
    return "line " + std::to_string(number) + ": " + what;
}

bool parse_document(std::string_view text, Document& doc, std::string& error) {
    if (text.find('\0') != std::string_view::npos) {
        error = "the file holds NUL bytes (it is not a REGEDIT4 text file)";
        return false;
    }
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    const PhysicalLines physical = split_lines(text);
    const std::vector<std::string>& lines = physical.lines;
    if (lines.empty() || ascii::trim_blanks(lines[0]) != kSignature) {
        error = "the file does not begin with REGEDIT4";
        return false;
    }
    doc.clear();
    doc.push_back(Entry{Entry::Kind::Signature, {lines[0]}, {}, {}, {}});
    bool in_section = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t number = i + 1;
        const std::string_view line = ascii::trim_blanks(lines[i]);
        Entry entry{Entry::Kind::Blank, {lines[i]}, {}, {}, {}};
        if (line.empty()) {
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() == ';') {
            entry.kind = Entry::Kind::Comment;
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = at_line(number, "a key must be written as [path]");
                return false;
            }
            entry.kind = Entry::Kind::Section;
            entry.key = std::string(line.substr(1, line.size() - 2));
            in_section = true;
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            error = at_line(number, "not a key, a value or a comment");
            return false;
        }
        if (!in_section) {
            error = at_line(number, "a value before any key");
            return false;
        }
        std::string_view rest = line;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (!parse_quoted(rest, entry.name)) {
            error = at_line(number, "a value name is not closed properly");
            return false;
        }
        rest = ascii::trim_blanks(rest);
        if (rest.empty() || rest.front() != '=') {
            error = at_line(number, "a value name must be followed by =");
            return false;
        }
        rest = ascii::trim_blanks(rest.substr(1));
        // Long hex data goes on over further lines, each but the last ending in a backslash.
        std::string logical(rest);
        if (ascii::starts_with_ignoring_case(logical, "hex")) {
            while (!logical.empty() && logical.back() == '\\') {
                logical.pop_back();
                if (i + 1 >= lines.size()) {
                    error = at_line(number, "the file ends inside a value (truncated?)");
                    return false;
                }
                ++i;
                entry.lines.push_back(lines[i]);
                logical += ascii::trim_blanks(lines[i]);
            }
        }
        std::string what;
        if (!parse_data(logical, entry.data, what)) {
            error = at_line(number, what);
            return false;
        }
        if (physical.last_unterminated && i + 1 == lines.size()) {
            // Every writer ends its lines; a value cut off at the end is a torn write, and the
            // digits before the cut would give a wrong value.
            error = at_line(number, "the file ends in the middle of a value (truncated?)");
            return false;
        }
        entry.kind = Entry::Kind::Value;
        doc.push_back(std::move(entry));
    }
    return true;
}

std::string serialize(const Document& doc) {
    std::string text;
    for (const Entry& entry : doc) {
        for (const std::string& line : entry.lines) {
            text += line;
            text += kLineEnd;
        }
    }
    return text;
}

std::string quote(std::string_view name) {
    std::string text = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"') {
            text.push_back('\\');
        }
        text.push_back(c);
    }
    text.push_back('"');
    return text;
}

std::string dword_line(std::string_view name, std::uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", value);
    return (name.empty() ? std::string("@") : quote(name)) + "=dword:" + digits;
}

RegData dword_data(std::uint32_t value) {
    RegData data{kRegDword, {}};
    for (std::size_t i = 0; i < kDwordSize; ++i) {
        data.bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return data;
}

// The value as an import would leave it: later sections of the same key, and later lines,
// override earlier ones. Returns doc.size() when the value is not there.
std::size_t find_value(const Document& doc, std::string_view key, std::string_view name) {
    std::size_t found = doc.size();
    bool in_key = false;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        const Entry& entry = doc[i];
        if (entry.kind == Entry::Kind::Section) {
            in_key = ascii::equal_ignoring_case(entry.key, key);
        } else if (in_key && entry.kind == Entry::Kind::Value &&
                   ascii::equal_ignoring_case(entry.name, name)) {
            found = i;
        }
    }
    return found;
}

void set_value(Document& doc, std::string_view key, std::string_view name, std::uint32_t value) {
    const std::size_t existing = find_value(doc, key, name);
    if (existing != doc.size()) {
        Entry& entry = doc[existing];
        entry.lines = {dword_line(entry.name, value)};  // the name keeps its spelling
        entry.data = dword_data(value);
        return;
    }
    Entry added{
        Entry::Kind::Value, {dword_line(name, value)}, {}, std::string(name), dword_data(value)};
    // After the last value (or the header) of the key's last section, before its blank lines.
    std::size_t insert_at = doc.size();
    bool in_key = false;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        if (doc[i].kind == Entry::Kind::Section) {
            in_key = ascii::equal_ignoring_case(doc[i].key, key);
            if (in_key) {
                insert_at = i + 1;
            }
        } else if (in_key && doc[i].kind == Entry::Kind::Value) {
            insert_at = i + 1;
        }
    }
    if (insert_at != doc.size()) {
        doc.insert(doc.begin() + static_cast<std::ptrdiff_t>(insert_at), std::move(added));
        return;
    }
    // A new key goes at the end, set off by blank lines as regedit writes it.
    if (doc.back().kind != Entry::Kind::Blank) {
        doc.push_back(Entry{Entry::Kind::Blank, {""}, {}, {}, {}});
    }
    doc.push_back(
        Entry{Entry::Kind::Section, {"[" + std::string(key) + "]"}, std::string(key), {}, {}});
    doc.push_back(std::move(added));
    doc.push_back(Entry{Entry::Kind::Blank, {""}, {}, {}, {}});
}

Document empty_document() {
    return {Entry{Entry::Kind::Signature, {std::string(kSignature)}, {}, {}, {}},
            Entry{Entry::Kind::Blank, {""}, {}, {}, {}}};
}

// ---------------------------------------------------------------------------------------------
// The file on disk

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

std::string not_regular(const std::string& path, mode_t mode) {
    if (S_ISLNK(mode)) {
        return path +
               " is a symbolic link; the settings file must be a regular file (name the real "
               "file with --settings)";
    }
    return path + " is not a regular file";
}

enum class FileState { Absent, Parsed, Damaged, Unusable };

struct LoadedFile {
    FileState state = FileState::Absent;
    Document doc;
    bool have_mode = false;  // the permissions of the file read, kept by the file replacing it
    mode_t mode = 0;
    std::string problem;
};

// Reads the file at `base` inside the directory `dir_fd`.
LoadedFile load_file(int dir_fd, const std::string& base, const std::string& path) {
    LoadedFile loaded;
    struct stat info {};
    if (::fstatat(dir_fd, base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            loaded.state = FileState::Absent;
            return loaded;
        }
        loaded.state = FileState::Unusable;
        loaded.problem = "cannot examine " + path + ": " + errno_text(errno);
        return loaded;
    }
    if (!S_ISREG(info.st_mode)) {
        loaded.state = FileState::Unusable;
        loaded.problem = not_regular(path, info.st_mode);
        return loaded;
    }
    // O_NOFOLLOW and the second look close the gap in which the file could be swapped for a
    // link or a device after the first one; O_NONBLOCK keeps a FIFO from hanging the open.
    FileDescriptor fd(
        ::openat(dir_fd, base.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        loaded.state = errno == ENOENT ? FileState::Absent : FileState::Unusable;
        loaded.problem = errno == ENOENT ? "" : "cannot read " + path + ": " + errno_text(errno);
        return loaded;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        loaded.state = FileState::Unusable;
        loaded.problem = not_regular(path, info.st_mode);
        return loaded;
    }
    loaded.have_mode = true;
    loaded.mode = info.st_mode & 0777;
    std::string text;
    int error_number = 0;
    if (!read_up_to(fd.get(), kMaxSettingsFileSize, text, error_number)) {
        loaded.state = FileState::Unusable;
        loaded.problem = "cannot read " + path + ": " + errno_text(error_number);
        return loaded;
    }
    if (text.size() > kMaxSettingsFileSize) {
        loaded.state = FileState::Damaged;
        loaded.problem = path + " is larger than " + std::to_string(kMaxSettingsFileSize) +
                         " bytes, too large for a settings file";
        return loaded;
    }
    std::string error;
    if (!parse_document(text, loaded.doc, error)) {
        loaded.state = FileState::Damaged;
        loaded.doc.clear();
        loaded.problem = path + " cannot be read as a REGEDIT4 file: " + error;
        return loaded;
    }
    loaded.state = FileState::Parsed;
    return loaded;
}

bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
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

std::string account_home() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

bool usable_base(const char* dir) {
    return dir != nullptr && dir[0] == '/';
}

}  // namespace

std::string settings_path_from(const SettingsPathSources& sources) {
    if (usable_base(sources.xdg_config_home)) {
        return std::string(sources.xdg_config_home) + "/vantrel/settings.reg";
    }
    if (usable_base(sources.home)) {
        return std::string(sources.home) + "/.config/vantrel/settings.reg";
    }
    if (usable_base(sources.account_home.c_str())) {
        return sources.account_home + "/.config/vantrel/settings.reg";
    }
    return {};
}

std::string default_settings_path() {
    SettingsPathSources sources;
    sources.xdg_config_home = std::getenv("XDG_CONFIG_HOME");
    sources.home = std::getenv("HOME");
    if (!usable_base(sources.xdg_config_home) && !usable_base(sources.home)) {
        sources.account_home = account_home();
    }
    return settings_path_from(sources);
}

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

RegFileRegistry::RegFileRegistry(std::string path) : path_(std::move(path)) {}

RegFileRegistry::~RegFileRegistry() = default;

RegistryKey* RegFileRegistry::create_or_open(std::string_view path) {
    problem_.clear();
    if (path_.empty()) {
        problem_ = "there is no home directory to keep the settings file in";
        return nullptr;
    }
    const SplitPath where = split_path(path_);
    if (!make_directories(where.dir)) {
        problem_ = "cannot create the directory " + where.dir + ": " + errno_text(errno);
        return nullptr;
    }
    if (::access(where.dir.c_str(), W_OK | X_OK) != 0) {
        problem_ = "cannot write in the directory " + where.dir + ": " + errno_text(errno);
        return nullptr;
    }
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        problem_ = not_regular(path_, info.st_mode);
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
    const SplitPath where = split_path(path_);
    FileDescriptor dir(::open(where.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        problem_ = "cannot open the directory " + where.dir + ": " + errno_text(errno);
        return false;
    }
    // Changes replace the file by rename, so a read sees one whole version without a lock.
    const LoadedFile file = load_file(dir.get(), where.base, path_);
    problem_ = file.problem;
    if (file.state != FileState::Parsed) {
        return false;
    }
    const std::size_t found = find_value(file.doc, key_path, name);
    if (found == file.doc.size() || file.doc[found].data.bytes.size() > kDwordSize) {
        return false;
    }
    std::uint32_t result = 0;
    const std::vector<std::uint8_t>& bytes = file.doc[found].data.bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        result |= std::uint32_t{bytes[i]} << (8 * i);
    }
    value = result;
    return true;
}

bool RegFileRegistry::set(const std::string& key_path, std::string_view name, std::uint32_t value) {
    problem_.clear();
    const SplitPath where = split_path(path_);
    FileDescriptor dir(::open(where.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

    LoadedFile file = load_file(dir.get(), where.base, path_);
    switch (file.state) {
        case FileState::Parsed:
            break;
        case FileState::Absent:
            file.doc = empty_document();
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
            file.doc = empty_document();
            break;
        }
        case FileState::Unusable:
            problem_ = file.problem;
            return false;
    }
    problem_ = file.problem;
    set_value(file.doc, key_path, name, value);
    const std::string text = serialize(file.doc);

    // One temporary name per settings file: the directory lock keeps it to one writer, and a
    // leftover from a crash is simply replaced.
    const std::string temp = where.base + ".tmp";
    if (::unlinkat(dir.get(), temp.c_str(), 0) != 0 && errno != ENOENT) {
        problem_ = "cannot remove the old temporary file " + where.dir + "/" + temp + ": " +
                   errno_text(errno);
        return false;
    }
    FileDescriptor out(::openat(dir.get(), temp.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    auto fail = [&](const std::string& what) {
        const int error_number = errno;
        ::unlinkat(dir.get(), temp.c_str(), 0);
        problem_ = what + " " + where.dir + "/" + temp + ": " + errno_text(error_number);
        return false;
    };
    if (out.get() < 0) {
        return fail("cannot create");
    }
    if (file.have_mode && ::fchmod(out.get(), file.mode) != 0) {
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
    if (before_replace_) {
        before_replace_();
    }
    if (::renameat(dir.get(), temp.c_str(), dir.get(), where.base.c_str()) != 0) {
        return fail("cannot rename");
    }
    // The rename is durable only once the directory itself reaches the disk.
    if (::fsync(dir.get()) != 0) {
        problem_ = "cannot flush the directory " + where.dir + ": " + errno_text(errno);
        return false;
    }
    return true;
}

}  // namespace vantrel::platform
