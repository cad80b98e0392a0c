// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kernel/kernel_config.h"

#include <sys/utsname.h>

#ifdef VANTREL_HAVE_ZLIB
#include <zlib.h>
#endif

#include "platform/linux/text_file.h"

namespace vantrel::platform {

namespace {

// A kernel configuration is some 300 kB; anything far larger is not one.
constexpr std::size_t kMaxConfigBytes = 4u << 20;

bool read_gzip_file(const std::string& path, std::string& text) {
#ifdef VANTREL_HAVE_ZLIB
    gzFile file = ::gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    text.clear();
    char buffer[16384];
    int got = 0;
    while ((got = ::gzread(file, buffer, sizeof buffer)) > 0 && text.size() <= kMaxConfigBytes) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::gzclose(file);
    return got == 0 && text.size() <= kMaxConfigBytes;
#else
    // Built without zlib: the compressed configuration cannot be read, the plain one still can.
    (void)path;
    (void)text;
    return false;
#endif
}

}  // namespace

KernelOption kernel_option(std::string_view config, std::string_view name) {
    const std::string set = std::string(name) + "=";
    const std::string unset = "# " + std::string(name) + " is not set";
    while (!config.empty()) {
        const std::size_t end = config.find('\n');
        std::string_view line = config.substr(0, end);
        config = end == std::string_view::npos ? std::string_view() : config.substr(end + 1);
        if (line.starts_with(set)) {
            line.remove_prefix(set.size());
            return line == "y" || line == "m" ? KernelOption::Built : KernelOption::Missing;
        }
        if (line == unset) {
            return KernelOption::Missing;
        }
    }
    return KernelOption::Unknown;
}

KernelOptionFact read_kernel_option(const std::string& proc_root, const std::string& boot_dir,
                                    const std::string& release, std::string_view name) {
    KernelOptionFact fact;
    std::string text;
    std::string error;
    const std::string proc = proc_root + "/config.gz";
    const std::string boot = boot_dir + "/config-" + release;
    if (read_gzip_file(proc, text)) {
        fact.source = proc;
    } else if (!release.empty() && read_small_file(boot, kMaxConfigBytes, text, error)) {
        fact.source = boot;
    } else {
        return fact;
    }
    fact.state = kernel_option(text, name);
    return fact;
}

std::string kernel_release() {
    struct utsname name {};
    return ::uname(&name) == 0 ? std::string(name.release) : std::string();
}

}  // namespace vantrel::platform
