// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform {

// What the running kernel's build configuration says of one option.
enum class KernelOption : unsigned char {
    Unknown,  // no configuration could be read, or it does not name the option
    Built,    // "=y" or "=m"
    Missing,  // "# NAME is not set", or another value
};

// The option as a configuration text (the format of /proc/config.gz, uncompressed) has it.
KernelOption kernel_option(std::string_view config, std::string_view name);

// Where the evidence came from, and what it says.
struct KernelOptionFact {
    KernelOption state = KernelOption::Unknown;
    std::string source;  // the file the configuration was read from; empty when none could be
};

// The option in the running kernel's configuration: /proc/config.gz (under `proc_root`) when
// it can be read, else config-RELEASE in `boot_dir`.
KernelOptionFact read_kernel_option(const std::string& proc_root, const std::string& boot_dir,
                                    const std::string& release, std::string_view name);

// The running kernel's release, as uname(2) gives it.
std::string kernel_release();

}  // namespace vantrel::platform
