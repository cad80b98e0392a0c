// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows/win32_port_io.h"

#include <windows.h>

namespace vantrel::platform {

std::uint8_t Win32PortIo::read_byte(std::uint16_t port) {
    std::uint8_t value = 0;
    __asm__ volatile("inb %w1, %b0" : "=a"(value) : "Nd"(port));
    return value;
}

void Win32PortIo::write_byte(std::uint16_t port, std::uint8_t value) {
    __asm__ volatile("outb %b0, %w1" : : "a"(value), "Nd"(port));
}

std::uint32_t Win32PortIo::read_dword(std::uint16_t port) {
    std::uint32_t value = 0;
    __asm__ volatile("inl %w1, %0" : "=a"(value) : "Nd"(port));
    return value;
}

void Win32PortIo::write_dword(std::uint16_t port, std::uint32_t value) {
    __asm__ volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

#if defined(__i386__)

namespace {

constexpr std::uint16_t kPciAddressPort = 0xCF8;

// The probe's IN instruction, a label in the assembly below; its one byte (0xED, IN EAX,DX) is
// what the handler steps over.
extern "C" const char vantrel_port_probe_in[];
constexpr DWORD kInstructionLength = 1;

volatile LONG probe_faulted = 0;

// A frame-based structured exception handler: the only kind Windows 95 and 98 have. It takes
// any fault at the probe's own instruction and no other.
extern "C" EXCEPTION_DISPOSITION __cdecl port_probe_handler(EXCEPTION_RECORD* record,
                                                            void* /*frame*/, CONTEXT* context,
                                                            void* /*dispatcher*/) {
    if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0 ||
        context->Eip != reinterpret_cast<DWORD>(vantrel_port_probe_in)) {
        return ExceptionContinueSearch;
    }
    probe_faulted = 1;
    context->Eip += kInstructionLength;
    return ExceptionContinueExecution;
}

}  // namespace

// Not inlined: the label in its assembly must exist once.
__attribute__((noinline)) bool user_port_access_allowed() {
    probe_faulted = 0;
    // Pushes an exception registration record (previous record, handler) on the stack, links
    // it in at FS:[0] for the one IN, and unlinks it again.
    __asm__ volatile(
        "pushl %[handler]\n\t"
        "pushl %%fs:0\n\t"
        "movl %%esp, %%fs:0\n\t"
        "movw %[port], %%dx\n\t"
        ".globl _vantrel_port_probe_in\n"
        "_vantrel_port_probe_in:\n\t"
        "inl %%dx, %%eax\n\t"
        "movl (%%esp), %%eax\n\t"
        "movl %%eax, %%fs:0\n\t"
        "addl $8, %%esp"
        :
        : [handler] "r"(&port_probe_handler), [port] "i"(kPciAddressPort)
        : "eax", "edx", "memory", "cc");
    return probe_faulted == 0;
}

#else

// The 64-bit check build that runs the tests under a 64-bit-only Wine has no frame-based
// exception handling to catch the probe with; it never reaches the ports.
bool user_port_access_allowed() {
    return false;
}

#endif

}  // namespace vantrel::platform
