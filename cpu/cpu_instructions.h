// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// The four registers CPUID leaves its answer in.
struct CpuidResult {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

// The x86 instructions CPU identification and speed measurement execute directly. The decisions
// (which bit to flip, what a read-back means) are made by the caller; each primitive here is one
// instruction sequence that must not be split, because compiled code between its steps could
// run with a flag register the compiler knows nothing about.
class CpuInstructions {
  public:
    virtual ~CpuInstructions() = default;

    // CPUID with EAX = leaf (ECX = 0).
    virtual CpuidResult cpuid(std::uint32_t leaf) = 0;

    // EFLAGS as PUSHFD stores it.
    virtual std::uint32_t read_eflags() = 0;
    // POPFD of `value`, PUSHFD of what the processor kept, then the EFLAGS found on entry are put
    // back. The stack is aligned to 4 bytes throughout, so a set alignment-check flag cannot fault
    // on the pushes.
    virtual std::uint32_t eflags_after_write(std::uint32_t value) = 0;

    // The 16-bit FLAGS register, as PUSHF stores it.
    virtual std::uint16_t read_flags() = 0;
    // POPF of `value`, PUSHF of what the processor kept, then the FLAGS found on entry are put
    // back.
    virtual std::uint16_t flags_after_write(std::uint16_t value) = 0;

    // MOV AX,0x5555; XOR DX,DX (sets ZF); MOV CX,2; DIV CX. Returns 1 when ZF is still set after
    // the division, 0 when the division cleared it.
    virtual int division_keeps_zero_flag() = 0;

    // RDTSC.
    virtual std::uint64_t read_time_stamp_counter() = 0;

    // One run of the timing loop: a 16-bit counter from 4000 down to 0, each iteration a BSF of
    // 0x80000000 followed by the decrement and the conditional jump. The per-generation cycle
    // counts in `kLoopCycles` hold only for exactly this sequence.
    virtual void run_bsf_loop() = 0;
};

}  // namespace vantrel
