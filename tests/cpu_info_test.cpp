// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "support/scripted_cpu.h"

namespace vantrel {
namespace {

using test::ScriptedCpu;

// One processor as CPUID describes it, and what identification must make of it.
struct CpuidRow {
    const char* name;
    const char* vendor;
    std::uint32_t highest_leaf;  // leaf 0 EAX
    std::uint32_t signature;     // leaf 1 EAX
    std::uint32_t features;      // leaf 1 EDX
    std::uint16_t type;
    std::uint32_t flags;
    std::uint32_t non_intel;
};

void PrintTo(const CpuidRow& row, std::ostream* os) {
    *os << row.name;
}

class IdentifiesRecordedProcessor : public ::testing::TestWithParam<CpuidRow> {};

TEST_P(IdentifiesRecordedProcessor, TypeFlagsAndVendorVerdict) {
    const CpuidRow& row = GetParam();
    ScriptedCpu cpu =
        ScriptedCpu::with_cpuid(row.vendor, row.highest_leaf, row.signature, row.features);
    VendorFlag vendor;
    CpuInfo info(cpu, vendor);

    EXPECT_EQ(info.cpu_type(), row.type);
    EXPECT_EQ(info.feature_flags(), row.flags);
    EXPECT_EQ(vendor.non_intel, row.non_intel);
    // The pre-CPUID probes are never reached on a processor with CPUID.
    EXPECT_EQ(cpu.count("div"), 0u);
    EXPECT_EQ(cpu.count("read_flags"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    RealProcessors, IdentifiesRecordedProcessor,
    ::testing::Values(
        CpuidRow{"PentiumMmx", "GenuineIntel", 1, 0x00000543, 0x008001BF, 5, 0x008001BF, 0},
        CpuidRow{"PentiumIiiCoppermine", "GenuineIntel", 2, 0x00000683, 0x0383FBFF, 6, 0x0383FBFF,
                 0},
        CpuidRow{"Pentium4Northwood", "GenuineIntel", 2, 0x00000F27, 0xBFEBFBFF, 15, 0xBFEBFBFF, 0},
        CpuidRow{"AthlonThunderbird", "AuthenticAMD", 1, 0x00000642, 0x0183F9FF, 0x8006, 0x0183F9FF,
                 1},
        CpuidRow{"K6_2", "AuthenticAMD", 1, 0x0000058C, 0x008021BF, 0x8005, 0x008021BF, 1},
        CpuidRow{"Cyrix6x86Mx", "CyrixInstead", 1, 0x00000600, 0x0080A135, 0x8006, 0x0080A135, 1},
        CpuidRow{"VendorDiffersInLastByte", "GenuineIntem", 2, 0x00000683, 0x0383FBFF, 0x8006,
                 0x0383FBFF, 1},
        CpuidRow{"VendorDiffersInFirstByte", "genuineIntel", 2, 0x00000683, 0x0383FBFF, 0x8006,
                 0x0383FBFF, 1},
        CpuidRow{"IntelWithoutLeaf1", "GenuineIntel", 0, 0x00000683, 0x0383FBFF, 0xFFFF, 0, 0},
        CpuidRow{"OtherVendorWithoutLeaf1", "AuthenticAMD", 0, 0x00000642, 0x0183F9FF, 0xFFFF, 0,
                 1}),
    [](const auto& row) { return std::string(row.param.name); });

// Every family the field can hold, and signatures whose processor-type bits (12-13) or
// extended family bits are set: the type code is the 4-bit family field alone.
INSTANTIATE_TEST_SUITE_P(
    FamilyField, IdentifiesRecordedProcessor,
    ::testing::Values(
        CpuidRow{"Family7", "GenuineIntel", 1, 0x00000700, 0x00000011, 7, 0x00000011, 0},
        CpuidRow{"Family8", "GenuineIntel", 1, 0x00000812, 0x00000011, 8, 0x00000011, 0},
        CpuidRow{"Family9", "GenuineIntel", 1, 0x00000923, 0x00000011, 9, 0x00000011, 0},
        CpuidRow{"Family10", "GenuineIntel", 1, 0x00000A34, 0x00000011, 10, 0x00000011, 0},
        CpuidRow{"Family11", "GenuineIntel", 1, 0x00000B45, 0x00000011, 11, 0x00000011, 0},
        CpuidRow{"Family12", "GenuineIntel", 1, 0x00000C56, 0x00000011, 12, 0x00000011, 0},
        CpuidRow{"Family13", "GenuineIntel", 1, 0x00000D67, 0x00000011, 13, 0x00000011, 0},
        CpuidRow{"Family14", "GenuineIntel", 1, 0x00000E78, 0x00000011, 14, 0x00000011, 0},
        CpuidRow{"OtherVendorFamily9", "AuthenticAMD", 1, 0x00000900, 0x00000011, 0x8009,
                 0x00000011, 1},
        // Type 1, an OverDrive processor: Pentium II OverDrive, family 6 model 3.
        CpuidRow{"PentiumIiOverDrive", "GenuineIntel", 2, 0x00001632, 0x0183FBFF, 6, 0x0183FBFF, 0},
        // Type 2, the second processor of a dual-processor Pentium pair.
        CpuidRow{"DualProcessorPentium", "GenuineIntel", 1, 0x00002525, 0x000003BF, 5, 0x000003BF,
                 0},
        CpuidRow{"ReservedProcessorType", "GenuineIntel", 1, 0x00003483, 0x00000001, 4, 0x00000001,
                 0},
        CpuidRow{"ExtendedFamilyAndModel", "GenuineIntel", 5, 0x00120F41, 0xBFEBFBFF, 15,
                 0xBFEBFBFF, 0},
        CpuidRow{"ReservedHighBits", "GenuineIntel", 2, 0xF000B683, 0x0383FBFF, 6, 0x0383FBFF, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CpuInfo, VendorVerdictOnceSetIsNeverCleared) {
    ScriptedCpu cpu = ScriptedCpu::with_cpuid("GenuineIntel", 2, 0x00000683, 0x0383FBFF);
    VendorFlag vendor{1};
    CpuInfo info(cpu, vendor);

    EXPECT_EQ(info.cpu_type(), 0x8006);
    EXPECT_EQ(info.feature_flags(), 0x0383FBFFu);
    EXPECT_EQ(vendor.non_intel, 1u);
}

TEST(CpuInfo, EveryCallRunsCpuidAgain) {
    ScriptedCpu cpu = ScriptedCpu::with_cpuid("GenuineIntel", 2, 0x00000683, 0x0383FBFF);
    VendorFlag vendor;
    CpuInfo info(cpu, vendor);

    info.cpu_type();
    info.feature_flags();
    info.cpu_type();
    EXPECT_EQ(cpu.count("cpuid 0"), 3u);
    EXPECT_EQ(cpu.count("cpuid 1"), 3u);
}

// A processor without CPUID, by generation and by what the 16-bit division does to ZF.
struct PreCpuidRow {
    const char* name;
    test::FlagModel flags;
    int division_keeps_zero_flag;
    std::uint16_t type;
    std::vector<std::string> probes;  // instructions after the ID-flag test, in order
};

void PrintTo(const PreCpuidRow& row, std::ostream* os) {
    *os << row.name;
}

class IdentifiesPreCpuidProcessor : public ::testing::TestWithParam<PreCpuidRow> {};

TEST_P(IdentifiesPreCpuidProcessor, GenerationFromFirstMatchingProbe) {
    const PreCpuidRow& row = GetParam();
    ScriptedCpu cpu = ScriptedCpu::without_cpuid(row.flags, row.division_keeps_zero_flag);
    // A verdict left by an earlier call is overwritten by the division probe every time.
    VendorFlag vendor{row.division_keeps_zero_flag != 0 ? 0u : 1u};
    CpuInfo info(cpu, vendor);

    EXPECT_EQ(info.cpu_type(), row.type);
    EXPECT_EQ(vendor.non_intel, static_cast<std::uint32_t>(row.division_keeps_zero_flag));
    std::vector<std::string> expected = {"read_eflags", "eflags_after_write"};
    expected.insert(expected.end(), row.probes.begin(), row.probes.end());
    EXPECT_EQ(cpu.log(), expected);

    // Without CPUID there are no feature flags, so no time-stamp counter.
    EXPECT_EQ(info.feature_flags(), 0u);
    EXPECT_EQ(cpu.count("cpuid 0"), 0u);
}

const std::vector<std::string> k8086Probes = {"div", "read_flags", "flags_after_write"};
const std::vector<std::string> k80286Probes = {"div", "read_flags", "flags_after_write",
                                               "read_flags", "flags_after_write"};
const std::vector<std::string> k80386Probes = {
    "div",         "read_flags",        "flags_after_write", "read_flags", "flags_after_write",
    "read_eflags", "eflags_after_write"};

INSTANTIATE_TEST_SUITE_P(
    Generations, IdentifiesPreCpuidProcessor,
    ::testing::Values(PreCpuidRow{"Intel8086", test::kFlags8086, 0, 0, k8086Probes},
                      PreCpuidRow{"Intel80286", test::kFlags80286, 0, 2, k80286Probes},
                      PreCpuidRow{"Intel80386", test::kFlags80386, 0, 3, k80386Probes},
                      PreCpuidRow{"Intel80486", test::kFlags80486, 0, 4, k80386Probes},
                      PreCpuidRow{"Other8086", test::kFlags8086, 1, 0x8000, k8086Probes},
                      PreCpuidRow{"Other80286", test::kFlags80286, 1, 0x8002, k80286Probes},
                      PreCpuidRow{"Other80386", test::kFlags80386, 1, 0x8003, k80386Probes},
                      PreCpuidRow{"Other80486", test::kFlags80486, 1, 0x8004, k80386Probes}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantrel
