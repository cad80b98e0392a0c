// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/linux_port_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h>

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define VANTREL_HAVE_PORT_IO 1
#else
#define VANTREL_HAVE_PORT_IO 0
#endif

namespace vantrel::platform {

namespace {

int system_ioperm(unsigned long from, unsigned long count, int turn_on) {
#if VANTREL_HAVE_PORT_IO
    return ::ioperm(from, count, turn_on);
#else
    (void)from;
    (void)count;
    (void)turn_on;
    errno = ENOSYS;
    return -1;
#endif
}

unsigned system_effective_uid() {
    return static_cast<unsigned>(::geteuid());
}

std::string system_lockdown_state() {
    std::ifstream file("/sys/kernel/security/lockdown");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string port_range(std::uint16_t first, std::uint16_t count) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%04X-0x%04X", first, first + count - 1);
    return text;
}

}  // namespace

PortAccessSystem real_port_access_system() {
    return PortAccessSystem{system_ioperm, system_effective_uid, system_lockdown_state};
}

std::string describe_port_access_refusal(int error_number, std::uint16_t first, std::uint16_t count,
                                         const PortAccessSystem& system) {
    const std::string what = "Cannot access I/O ports " + port_range(first, count) + ": ";
    if (error_number == ENOSYS) {
        return what +
               "this kernel does not provide ioperm (built without I/O port permissions, or a "
               "sandbox that hides them). Use a kernel built with CONFIG_X86_IOPL_IOPERM, outside "
               "any sandbox.";
    }
    if (error_number == EPERM) {
        const std::string lockdown = system.lockdown_state();
        if (lockdown.find("[integrity]") != std::string::npos ||
            lockdown.find("[confidentiality]") != std::string::npos) {
            return what +
                   "the kernel is in lockdown mode, which forbids direct port access even to "
                   "root (it is usually switched on by Secure Boot). Switch Secure Boot off in "
                   "the firmware setup, or boot a kernel without lockdown, to use Vantrel on this "
                   "machine.";
        }
        if (system.effective_uid() != 0) {
            return what +
                   "permission denied; run the program as root (with sudo: it gives up root as "
                   "soon as it holds the ports).";
        }
        return what +
               "permission denied; the process lacks the CAP_SYS_RAWIO capability (a container "
               "or a restricted service); run it as root on the host system.";
    }
    return what + std::strerror(error_number) + ".";
}

LinuxPortIo::LinuxPortIo(PortAccessSystem system) : system_(std::move(system)) {}

bool LinuxPortIo::grant(std::uint16_t first, std::uint16_t count, std::string& error) {
    if (!VANTREL_HAVE_PORT_IO) {
        error = "Cannot access I/O ports " + port_range(first, count) +
                ": direct port access exists only on x86 processors.";
        return false;
    }
    if (system_.ioperm(first, count, 1) != 0) {
        error = describe_port_access_refusal(errno, first, count, system_);
        return false;
    }
    ranges_.emplace_back(first, unsigned{first} + count);
    return true;
}

void LinuxPortIo::revoke_all() {
    for (const auto& [first, end] : ranges_) {
        system_.ioperm(first, end - first, 0);
    }
    ranges_.clear();
}

bool LinuxPortIo::granted(std::uint16_t port, unsigned width) const {
    for (const auto& [first, end] : ranges_) {
        if (port >= first && port + width <= end) {
            return true;
        }
    }
    return false;
}

std::uint8_t LinuxPortIo::read_byte(std::uint16_t port) {
    if (!granted(port, 1)) {
        ++denied_;
        return 0xFF;
    }
#if VANTREL_HAVE_PORT_IO
    return ::inb(port);
#else
    return 0xFF;
#endif
}

void LinuxPortIo::write_byte(std::uint16_t port, std::uint8_t value) {
    if (!granted(port, 1)) {
        ++denied_;
        return;
    }
#if VANTREL_HAVE_PORT_IO
    ::outb(value, port);
#else
    (void)value;
#endif
}

std::uint32_t LinuxPortIo::read_dword(std::uint16_t port) {
    if (!granted(port, 4)) {
        ++denied_;
        return 0xFFFFFFFF;
    }
#if VANTREL_HAVE_PORT_IO
    return ::inl(port);
#else
    return 0xFFFFFFFF;
#endif
}

void LinuxPortIo::write_dword(std::uint16_t port, std::uint32_t value) {
    if (!granted(port, 4)) {
        ++denied_;
        return;
    }
#if VANTREL_HAVE_PORT_IO
    ::outl(value, port);
#else
    (void)value;
#endif
}

}  // namespace vantrel::platform
