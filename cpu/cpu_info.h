// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "cpu/cpu_instructions.h"

namespace vantrel {

// The vendor verdict of CPU identification. One instance lives for the whole run and is handed
// to every identification. With CPUID it only ever goes from 0 to 1; without CPUID each
// `cpu_type` overwrites it with the division probe's answer.
struct VendorFlag {
    std::uint32_t non_intel = 0;  // 1: not a genuine Intel processor
};

inline constexpr std::uint16_t kCpuTypeNonIntel = 0x8000;
inline constexpr std::uint16_t kNoFamily = 0xFFFF;  // CPUID present but no leaf 1, or no match
inline constexpr std::uint32_t kFeatureTimeStampCounter = 0x10;  // CPUID.1:EDX bit 4

// Which x86 processor the program runs on: the type code (generation, plus 0x8000 for a
// processor that is not a genuine Intel one) and the CPUID leaf-1 feature bits. Nothing is
// cached; every call executes its probes and CPUID queries again.
class CpuInfo {
  public:
    CpuInfo(CpuInstructions& cpu, VendorFlag& vendor) : cpu_(cpu), vendor_(vendor) {}

    // CPUID family (0 to 15), 0xFFFF without leaf 1, or without CPUID the generation found by the
    // flag probes (0, 2, 3 or 4); 0x8000 added when `non_intel` is set.
    std::uint16_t cpu_type();
    // EDX of CPUID leaf 1; 0 without CPUID or without leaf 1.
    std::uint32_t feature_flags();
    // 1 when the EFLAGS ID bit can be toggled, that is when CPUID exists; else 0.
    std::uint16_t has_cpuid();

    // The steps the two answers are made of.
    std::uint16_t cpuid_family();
    // Compares the vendor identification with "GenuineIntel" and returns the highest standard
    // leaf.
    std::uint32_t vendor_check();
    std::uint16_t probe_8086();
    std::uint16_t probe_80286();
    std::uint16_t probe_80386();
    std::uint16_t probe_division_flags();

  private:
    CpuInstructions& cpu_;
    VendorFlag& vendor_;
};

}  // namespace vantrel
