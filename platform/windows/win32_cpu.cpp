#include "platform/windows/win32_cpu.h"

namespace vantrel::platform {

#if defined(__i386__)

CpuidResult Win32Cpu::cpuid(std::uint32_t leaf) {
    CpuidResult r;
    __asm__ volatile("cpuid"
                     : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx)
                     : "a"(leaf), "c"(0u));
    return r;
}

std::uint32_t Win32Cpu::read_eflags() {
    std::uint32_t flags = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0"
        : "=r"(flags)
        :
        : "memory");
    return flags;
}

// With the alignment-check flag set, a push to a misaligned stack faults on a 486 and later, so
// the stack is aligned to 4 bytes for as long as the flag may be set.
std::uint32_t Win32Cpu::eflags_after_write(std::uint32_t value) {
    std::uint32_t kept = 0;
    __asm__ volatile(
        "mov %%esp, %%ecx\n\t"
        "and $-4, %%esp\n\t"
        "pushfl\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "popfl\n\t"
        "mov %%ecx, %%esp"
        : "=&r"(kept)
        : "r"(value)
        : "ecx", "cc", "memory");
    return kept;
}

std::uint16_t Win32Cpu::read_flags() {
    std::uint16_t flags = 0;
    __asm__ volatile(
        "pushfw\n\t"
        "popw %0"
        : "=r"(flags)
        :
        : "memory");
    return flags;
}

std::uint16_t Win32Cpu::flags_after_write(std::uint16_t value) {
    std::uint16_t kept = 0;
    __asm__ volatile(
        "pushfw\n\t"
        "pushw %1\n\t"
        "popfw\n\t"
        "pushfw\n\t"
        "popw %0\n\t"
        "popfw"
        : "=&r"(kept)
        : "r"(value)
        : "cc", "memory");
    return kept;
}

int Win32Cpu::division_keeps_zero_flag() {
    std::uint8_t zero = 0;
    __asm__ volatile(
        "movw $0x5555, %%ax\n\t"
        "xorw %%dx, %%dx\n\t"
        "movw $2, %%cx\n\t"
        "divw %%cx\n\t"
        "setz %0"
        : "=q"(zero)
        :
        : "eax", "ecx", "edx", "cc");
    return zero;
}

std::uint64_t Win32Cpu::read_time_stamp_counter() {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__ volatile("rdtsc" : "=a"(low), "=d"(high));
    return (std::uint64_t{high} << 32) | low;
}

void Win32Cpu::run_bsf_loop() {
    __asm__ volatile(
        "movw $4000, %%cx\n\t"
        "movl $0x80000000, %%edx\n"
        "1:\n\t"
        "bsfl %%edx, %%eax\n\t"
        "decw %%cx\n\t"
        "jnz 1b"
        :
        :
        : "eax", "ecx", "edx", "cc");
}

#else

// The 64-bit check build, which runs the tests under a 64-bit-only Wine on the simulated board,
// answers as a processor without CPUID or time-stamp counter; the program itself is i686.
CpuidResult Win32Cpu::cpuid(std::uint32_t) {
    return {};
}
std::uint32_t Win32Cpu::read_eflags() {
    return 0;
}
std::uint32_t Win32Cpu::eflags_after_write(std::uint32_t) {
    return 0;
}
std::uint16_t Win32Cpu::read_flags() {
    return 0;
}
std::uint16_t Win32Cpu::flags_after_write(std::uint16_t) {
    return 0;
}
int Win32Cpu::division_keeps_zero_flag() {
    return 0;
}
std::uint64_t Win32Cpu::read_time_stamp_counter() {
    return 0;
}
void Win32Cpu::run_bsf_loop() {}

#endif

}  // namespace vantrel::platform
