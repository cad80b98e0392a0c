// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cpu/cpu_instructions.h"

namespace vantrel::platform {

// The processor the program runs on, through GCC inline assembly for i686 and x86-64; the same
// on Linux and Windows, since it needs nothing of either. In a 32-bit build the flag probes are
// real: on a processor without CPUID they tell an 80386 from an 80486 and an 8086 from an 80286.
// Built for any other target it answers as a processor without CPUID and without time-stamp
// counter: no flag bit can be changed, RDTSC reads 0 and the timing loop does nothing.
class NativeCpu : public CpuInstructions {
  public:
    CpuidResult cpuid(std::uint32_t leaf) override;
    std::uint32_t read_eflags() override;
    std::uint32_t eflags_after_write(std::uint32_t value) override;
    std::uint16_t read_flags() override;
    std::uint16_t flags_after_write(std::uint16_t value) override;
    int division_keeps_zero_flag() override;
    std::uint64_t read_time_stamp_counter() override;
    void run_bsf_loop() override;
};

}  // namespace vantrel::platform
