// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kernel/smbus_sysfs.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "bus/smbus_function.h"

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

// The SMBus base is BAR 4 of the function (configuration offset 0x20): line 5 of `resource`.
constexpr int kSmbusBarLine = 4;
// IORESOURCE_IO in a `resource` line's flags: the BAR decodes I/O space.
constexpr unsigned long long kResourceIo = 0x100;

std::string first_line(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// A sysfs number such as "0x8086"; nullopt when the file is missing or holds something else.
std::optional<unsigned long long> read_hex(const fs::path& file) {
    std::string text = first_line(file);
    if (text.rfind("0x", 0) == 0) {
        text.erase(0, 2);
    }
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint16_t> read_io_base(const fs::path& function_dir) {
    std::ifstream in(function_dir / "resource");
    std::string line;
    for (int i = 0; i <= kSmbusBarLine; ++i) {
        if (!std::getline(in, line)) {
            return std::nullopt;
        }
    }
    std::istringstream fields(line);
    std::string start_text;
    std::string end_text;
    std::string flags_text;
    fields >> start_text >> end_text >> flags_text;
    const auto parse = [](const std::string& text) -> std::optional<unsigned long long> {
        unsigned long long value = 0;
        const std::size_t skip = text.rfind("0x", 0) == 0 ? 2 : 0;
        const auto [end, error] =
            std::from_chars(text.data() + skip, text.data() + text.size(), value, 16);
        if (text.size() <= skip || error != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return value;
    };
    const auto start = parse(start_text);
    const auto flags = parse(flags_text);
    if (!start || !flags || (*flags & kResourceIo) == 0 || *start == 0 || *start > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*start);
}

// The function in `dir` when it is a supported hub's SMBus function.
std::optional<SmbusFunction> read_function(const fs::path& dir) {
    const auto vendor = read_hex(dir / "vendor");
    const auto device = read_hex(dir / "device");
    if (!vendor || !device || *vendor > 0xFFFF || *device > 0xFFFF) {
        return std::nullopt;
    }
    SmbusFunction function;
    function.kind = chipset_kind_from_smbus_function(static_cast<std::uint16_t>(*vendor),
                                                     static_cast<std::uint16_t>(*device));
    if (function.kind == ChipsetKind::None) {
        return std::nullopt;
    }
    std::error_code error;
    function.pci_name = fs::canonical(dir, error).filename().string();
    if (error) {
        function.pci_name = dir.filename().string();
    }
    const fs::path driver = fs::read_symlink(dir / "driver", error);
    if (!error) {
        function.driver = driver.filename().string();
    }
    function.io_base = read_io_base(dir);
    return function;
}

std::vector<fs::path> entries(const fs::path& dir) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// N of an adapter entry "i2c-N"; -1 for anything else (clients are named like "0-0050").
int adapter_number(const std::string& name) {
    constexpr std::string_view prefix = "i2c-";
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) {
        return -1;
    }
    int number = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last ? number : -1;
}

// The PCI function an adapter hangs off: its `device` link where there is one, otherwise the
// directory above the adapter's own.
std::optional<SmbusFunction> adapter_parent(const fs::path& adapter) {
    std::error_code error;
    if (fs::exists(adapter / "device" / "vendor", error)) {
        return read_function(adapter / "device");
    }
    const fs::path resolved = fs::canonical(adapter, error);
    if (error) {
        return std::nullopt;
    }
    return read_function(resolved.parent_path());
}

}  // namespace

SmbusSysfs read_smbus_sysfs(const std::string& sysfs_root) {
    const fs::path root(sysfs_root);
    SmbusSysfs found;

    for (const fs::path& dir : entries(root / "bus" / "pci" / "devices")) {
        if (auto function = read_function(dir)) {
            found.function = std::move(function);
            break;
        }
    }

    std::vector<std::pair<int, fs::path>> adapters;
    for (const fs::path& entry : entries(root / "bus" / "i2c" / "devices")) {
        const int number = adapter_number(entry.filename().string());
        if (number >= 0) {
            adapters.emplace_back(number, entry);
        }
    }
    std::sort(adapters.begin(), adapters.end());
    for (const auto& [number, path] : adapters) {
        auto parent = adapter_parent(path);
        if (!parent) {
            continue;
        }
        SmbusAdapter adapter;
        adapter.number = number;
        adapter.name = first_line(path / "name");
        adapter.function = std::move(*parent);
        found.function = adapter.function;
        found.adapter = std::move(adapter);
        break;
    }

    const fs::path bridge = root / "bus" / "pci" / "devices" / "0000:00:1f.0";
    const auto vendor = read_hex(bridge / "vendor");
    const auto device = read_hex(bridge / "device");
    found.hub_bridge = vendor && device && *vendor <= 0xFFFF && *device <= 0xFFFF &&
                       chipset_kind_from_id(static_cast<std::uint32_t>(*device << 16 | *vendor)) !=
                           ChipsetKind::None;

    std::error_code error;
    found.i2c_dev_loaded = fs::is_directory(root / "class" / "i2c-dev", error);
    return found;
}

}  // namespace vantrel::platform
