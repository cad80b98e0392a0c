// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/sysfs_tree.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace vantrel::test {

namespace fs = std::filesystem;

SysfsTree::SysfsTree() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-sysfs-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = buffer.data();
    fs::create_directories(root_ / "bus" / "pci" / "devices");
    fs::create_directories(root_ / "bus" / "i2c" / "devices");
    fs::create_directories(root_ / "bus" / "pci" / "drivers");
    fs::create_directories(root_ / "devices" / "platform");
}

SysfsTree::~SysfsTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path SysfsTree::pci_dir(const std::string& slot) const {
    return root_ / "devices" / "pci0000:00" / ("0000:00:" + slot);
}

void SysfsTree::write(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

void SysfsTree::add_pci_function(const std::string& slot, std::uint16_t vendor,
                                 std::uint16_t device, const std::string& driver,
                                 std::optional<std::uint16_t> io_base) {
    const fs::path dir = pci_dir(slot);
    fs::create_directories(dir);
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x\n", unsigned{vendor});
    write(dir / "vendor", text);
    std::snprintf(text, sizeof text, "0x%04x\n", unsigned{device});
    write(dir / "device", text);
    std::string resource;
    for (int bar = 0; bar < 6; ++bar) {
        char line[80];
        if (bar == 4 && io_base) {
            std::snprintf(line, sizeof line, "0x%016x 0x%016x 0x%016x\n", unsigned{*io_base},
                          *io_base + 0x1Fu, 0x40101u);
        } else {
            std::snprintf(line, sizeof line, "0x%016x 0x%016x 0x%016x\n", 0u, 0u, 0u);
        }
        resource += line;
    }
    write(dir / "resource", resource);
    if (!driver.empty()) {
        const fs::path driver_dir = root_ / "bus" / "pci" / "drivers" / driver;
        fs::create_directories(driver_dir);
        fs::create_directories(root_ / "module" / driver);
        if (!fs::is_symlink(driver_dir / "module")) {
            fs::create_directory_symlink(fs::path("../../../../module") / driver,
                                         driver_dir / "module");
        }
        fs::create_directory_symlink(fs::path("../../../bus/pci/drivers") / driver, dir / "driver");
    }
    fs::create_directory_symlink(fs::path("../../../devices/pci0000:00") / dir.filename(),
                                 root_ / "bus" / "pci" / "devices" / dir.filename());
}

void SysfsTree::add_adapter(int number, const std::string& name, const std::string& slot,
                            bool device_link) {
    const fs::path parent =
        slot.empty() ? root_ / "devices" / "platform" / "i2c-gpio.0" : pci_dir(slot);
    const std::string adapter = "i2c-" + std::to_string(number);
    fs::create_directories(parent / adapter);
    write(parent / adapter / "name", name + "\n");
    if (device_link) {
        fs::create_directory_symlink("..", parent / adapter / "device");
    }
    fs::create_directory_symlink(fs::relative(parent / adapter, root_ / "bus" / "i2c" / "devices"),
                                 root_ / "bus" / "i2c" / "devices" / adapter);
}

void SysfsTree::add_client(const std::string& name) {
    fs::create_directories(root_ / "devices" / "platform" / name);
    fs::create_directory_symlink(fs::path("../../../devices/platform") / name,
                                 root_ / "bus" / "i2c" / "devices" / name);
}

void SysfsTree::load_i2c_dev() {
    fs::create_directories(root_ / "class" / "i2c-dev");
}

void SysfsTree::set_lockdown(const std::string& text) {
    fs::create_directories(root_ / "kernel" / "security");
    write(root_ / "kernel" / "security" / "lockdown", text + "\n");
}

}  // namespace vantrel::test
