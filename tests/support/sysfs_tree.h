// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vantrel::test {

// A sysfs tree in a temporary directory, laid out as the kernel lays out the parts the program
// reads: PCI functions under devices/ linked from bus/pci/devices, I2C adapters as children of
// their parent device linked from bus/i2c/devices, drivers as `driver` links, and
// class/i2c-dev while that module is loaded. Removed with the object.
class SysfsTree {
  public:
    SysfsTree();
    ~SysfsTree();
    SysfsTree(const SysfsTree&) = delete;
    SysfsTree& operator=(const SysfsTree&) = delete;

    std::string root() const { return root_.string(); }

    // A PCI function "0000:00:<slot>"; `driver` empty leaves it unbound, a bound driver comes
    // from the module of its name. `io_base` fills BAR 4
    // of its resource file.
    void add_pci_function(const std::string& slot, std::uint16_t vendor, std::uint16_t device,
                          const std::string& driver = {},
                          std::optional<std::uint16_t> io_base = std::nullopt);
    // Adapter i2c-N under the PCI function at `slot`, or under a device outside PCI when `slot`
    // is empty. With `device_link` the adapter also carries a `device` link to its parent.
    void add_adapter(int number, const std::string& name, const std::string& slot,
                     bool device_link = false);
    // An I2C client such as "0-0050": an entry of bus/i2c/devices that is not an adapter.
    void add_client(const std::string& name);
    void load_i2c_dev();
    // kernel/security/lockdown as the kernel words it, e.g. "[none] integrity confidentiality".
    void set_lockdown(const std::string& text);

  private:
    std::filesystem::path pci_dir(const std::string& slot) const;
    static void write(const std::filesystem::path& file, const std::string& text);

    std::filesystem::path root_;
};

}  // namespace vantrel::test
