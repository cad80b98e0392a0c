// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/x86/native_cpu.h"

namespace vantrel::platform {

#if defined(__x86_64__) || defined(__i386__)

CpuidResult NativeCpu::cpuid(std::uint32_t leaf) {
    CpuidResult r;
    __asm__ volatile("cpuid"
                     : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx)
                     : "a"(leaf), "c"(0u));
    return r;
}

#if defined(__x86_64__)

// PUSHFQ and POPFQ are the only forms in 64-bit mode; the upper half of RFLAGS is reserved and
// reads as zero. The pushes would overwrite the red zone below RSP, where the compiler may keep
// locals, so the stack is moved below it (and aligned) first.
std::uint32_t NativeCpu::read_eflags() {
    std::uint64_t flags = 0;
    __asm__ volatile(
        "mov %%rsp, %%rcx\n\t"
        "sub $128, %%rsp\n\t"
        "and $-16, %%rsp\n\t"
        "pushfq\n\t"
        "pop %0\n\t"
        "mov %%rcx, %%rsp"
        : "=r"(flags)
        :
        : "rcx", "memory");
    return static_cast<std::uint32_t>(flags);
}

std::uint32_t NativeCpu::eflags_after_write(std::uint32_t value) {
    std::uint64_t kept = 0;
    const std::uint64_t wide = value;
    __asm__ volatile(
        "mov %%rsp, %%rcx\n\t"
        "sub $128, %%rsp\n\t"
        "and $-16, %%rsp\n\t"
        "pushfq\n\t"
        "push %1\n\t"
        "popfq\n\t"
        "pushfq\n\t"
        "pop %0\n\t"
        "popfq\n\t"
        "mov %%rcx, %%rsp"
        : "=&r"(kept)
        : "r"(wide)
        : "rcx", "cc", "memory");
    return static_cast<std::uint32_t>(kept);
}

std::uint16_t NativeCpu::read_flags() {
    std::uint16_t flags = 0;
    __asm__ volatile(
        "mov %%rsp, %%rcx\n\t"
        "sub $128, %%rsp\n\t"
        "and $-16, %%rsp\n\t"
        "pushfw\n\t"
        "popw %0\n\t"
        "mov %%rcx, %%rsp"
        : "=r"(flags)
        :
        : "rcx", "memory");
    return flags;
}

std::uint16_t NativeCpu::flags_after_write(std::uint16_t value) {
    std::uint16_t kept = 0;
    __asm__ volatile(
        "mov %%rsp, %%rcx\n\t"
        "sub $128, %%rsp\n\t"
        "and $-16, %%rsp\n\t"
        "pushfw\n\t"
        "pushw %1\n\t"
        "popfw\n\t"
        "pushfw\n\t"
        "popw %0\n\t"
        "popfw\n\t"
        "mov %%rcx, %%rsp"
        : "=&r"(kept)
        : "r"(value)
        : "rcx", "cc", "memory");
    return kept;
}

#else  // __i386__

// A set alignment-check flag makes a misaligned push fault on a 486 and later, so the stack is
// aligned to 4 bytes while the flag may be set.
std::uint32_t NativeCpu::read_eflags() {
    std::uint32_t flags = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0"
        : "=r"(flags)
        :
        : "memory");
    return flags;
}

std::uint32_t NativeCpu::eflags_after_write(std::uint32_t value) {
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

std::uint16_t NativeCpu::read_flags() {
    std::uint16_t flags = 0;
    __asm__ volatile(
        "pushfw\n\t"
        "popw %0"
        : "=r"(flags)
        :
        : "memory");
    return flags;
}

std::uint16_t NativeCpu::flags_after_write(std::uint16_t value) {
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

#endif

int NativeCpu::division_keeps_zero_flag() {
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

std::uint64_t NativeCpu::read_time_stamp_counter() {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__ volatile("rdtsc" : "=a"(low), "=d"(high));
    return (std::uint64_t{high} << 32) | low;
}

void NativeCpu::run_bsf_loop() {
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

#else  // not x86

CpuidResult NativeCpu::cpuid(std::uint32_t) {
    return {};
}
std::uint32_t NativeCpu::read_eflags() {
    return 0;
}
std::uint32_t NativeCpu::eflags_after_write(std::uint32_t) {
    return 0;
}
std::uint16_t NativeCpu::read_flags() {
    return 0;
}
std::uint16_t NativeCpu::flags_after_write(std::uint16_t) {
    return 0;
}
int NativeCpu::division_keeps_zero_flag() {
    return 0;
}
std::uint64_t NativeCpu::read_time_stamp_counter() {
    return 0;
}
void NativeCpu::run_bsf_loop() {}

#endif

}  // namespace vantrel::platform
