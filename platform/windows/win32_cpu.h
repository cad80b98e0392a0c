#pragma once

#include "cpu/cpu_instructions.h"

namespace vantrel::platform {

// The processor the program runs on, in 32-bit x86 assembly. The flag probes are real here:
// on a processor without CPUID they tell an 80386 from an 80486 and an 8086 from an 80286.
class Win32Cpu : public CpuInstructions {
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
