// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/cpu_info.h"

#include <array>

namespace vantrel {

namespace {

constexpr std::uint32_t kEflagsId = 0x200000;
constexpr std::uint32_t kEflagsAlignmentCheck = 0x40000;
constexpr std::uint16_t kFlagsHighNibble = 0xF000;  // IOPL, NT and bit 15
constexpr std::array<char, 12> kGenuineIntel = {'G', 'e', 'n', 'u', 'i', 'n',
                                                'e', 'I', 'n', 't', 'e', 'l'};

constexpr std::uint16_t kType8086 = 0;
constexpr std::uint16_t kType80286 = 2;
constexpr std::uint16_t kType80386 = 3;
constexpr std::uint16_t kType80486 = 4;

// The vendor identification is EBX, EDX, ECX, each low byte first.
std::array<char, 12> vendor_bytes(const CpuidResult& leaf0) {
    std::array<char, 12> bytes{};
    const std::array<std::uint32_t, 3> words = {leaf0.ebx, leaf0.edx, leaf0.ecx};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((words[i / 4] >> (8 * (i % 4))) & 0xFF);
    }
    return bytes;
}

}  // namespace

std::uint16_t CpuInfo::has_cpuid() {
    const std::uint32_t before = cpu_.read_eflags();
    const std::uint32_t after = cpu_.eflags_after_write(before ^ kEflagsId);
    return after != before ? 1 : 0;
}

std::uint32_t CpuInfo::vendor_check() {
    const CpuidResult leaf0 = cpu_.cpuid(0);
    const std::array<char, 12> vendor = vendor_bytes(leaf0);
    // Every byte is compared, so a near miss anywhere in the twelve counts.
    bool differs = false;
    for (std::size_t i = 0; i < vendor.size(); ++i) {
        differs = differs || vendor[i] != kGenuineIntel[i];
    }
    if (differs) {
        vendor_.non_intel = 1;
    }
    return leaf0.eax;
}

std::uint16_t CpuInfo::cpuid_family() {
    if (vendor_check() < 1) {
        return kNoFamily;
    }
    return static_cast<std::uint16_t>((cpu_.cpuid(1).eax >> 8) & 0x0F);
}

std::uint32_t CpuInfo::feature_flags() {
    if (has_cpuid() == 0) {
        return 0;
    }
    if (vendor_check() < 1) {
        return 0;
    }
    return cpu_.cpuid(1).edx;
}

std::uint16_t CpuInfo::probe_8086() {
    const std::uint16_t flags = cpu_.read_flags();
    const std::uint16_t kept = cpu_.flags_after_write(static_cast<std::uint16_t>(flags & 0x0FFF));
    return (kept & kFlagsHighNibble) == kFlagsHighNibble ? kType8086 : kNoFamily;
}

std::uint16_t CpuInfo::probe_80286() {
    const std::uint16_t flags = cpu_.read_flags();
    const std::uint16_t kept =
        cpu_.flags_after_write(static_cast<std::uint16_t>(flags | kFlagsHighNibble));
    return (kept & kFlagsHighNibble) == 0 ? kType80286 : kNoFamily;
}

std::uint16_t CpuInfo::probe_80386() {
    const std::uint32_t eflags = cpu_.read_eflags();
    const std::uint32_t kept = cpu_.eflags_after_write(eflags ^ kEflagsAlignmentCheck);
    return kept == eflags ? kType80386 : kNoFamily;
}

std::uint16_t CpuInfo::probe_division_flags() {
    return cpu_.division_keeps_zero_flag() != 0 ? 1 : 0;
}

std::uint16_t CpuInfo::cpu_type() {
    std::uint16_t code = 0;
    if (has_cpuid() != 0) {
        code = cpuid_family();
    } else {
        vendor_.non_intel = probe_division_flags();
        if (probe_8086() == kType8086) {
            code = kType8086;
        } else if (probe_80286() == kType80286) {
            code = kType80286;
        } else if (probe_80386() == kType80386) {
            code = kType80386;
        } else {
            code = kType80486;
        }
    }
    if (vendor_.non_intel != 0) {
        code |= kCpuTypeNonIntel;
    }
    return code;
}

}  // namespace vantrel
