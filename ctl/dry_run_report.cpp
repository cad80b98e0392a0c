// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/dry_run_report.h"

#include <cstdint>

#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"
#include "clockgen/registers.h"
#include "ctl/ctl_report.h"
#include "ctl/failure_text.h"
#include "ui/group_delay_names.h"

namespace vantrel::cli {

namespace {

std::string number(unsigned value) {
    return std::to_string(value);
}

std::string delay(std::uint8_t code) {
    return std::string(group_delay_name(code));
}

// "name before -> after", or "name value" when the write keeps it.
std::string change(const std::string& name, const std::string& before, const std::string& after) {
    return name + " " + (before == after ? after : before + " -> " + after);
}

std::string on_off(bool on) {
    return on ? "on" : "off";
}

std::string spread_meaning(std::uint8_t before, std::uint8_t after) {
    const bool was = (before & kReg00SpreadEnable) != 0;
    const bool is = (after & kReg00SpreadEnable) != 0;
    return was == is ? "spread spectrum stays " + on_off(is)
                     : "spread spectrum " + on_off(was) + " -> " + on_off(is);
}

std::string enhanced_mode_meaning(std::uint8_t before, std::uint8_t after) {
    const bool was = (before & kReg10EnhancedMode) == kReg10EnhancedMode;
    const bool is = (after & kReg10EnhancedMode) == kReg10EnhancedMode;
    if (was != is) {
        return is ? "enters enhanced mode" : "leaves enhanced mode";
    }
    return is ? "enhanced mode stays on" : "enhanced mode stays off";
}

std::string reg21_meaning(std::uint8_t before, std::uint8_t after) {
    const Reg21Fields was = unpack_reg21(before);
    const Reg21Fields is = unpack_reg21(after);
    return change("group delay CPU", delay(was.delay_cpu), delay(is.delay_cpu)) + ", " +
           change("PCI", delay(was.delay_pci), delay(is.delay_pci)) + ", " +
           change("SDRAM", delay(was.delay_sdram), delay(is.delay_sdram));
}

std::string reg22_meaning(std::uint8_t before, std::uint8_t after) {
    const Reg22Fields was = unpack_reg22(before);
    const Reg22Fields is = unpack_reg22(after);
    return change("group delay 3V66", delay(was.delay_3v66), delay(is.delay_3v66)) + ", " +
           change("spread model", number(was.spread_model), number(is.spread_model));
}

}  // namespace

std::string write_meaning(const HeldWrite& write) {
    const std::uint8_t before = write.before;
    const std::uint8_t after = write.after;
    switch (write.reg) {
        case REG00:
            return spread_meaning(before, after);
        case REG10:
            return enhanced_mode_meaning(before, after);
        case REG11:
            return change("PLL N", number(before), number(after));
        case REG12:
            return "N minus the spread depth: depth " +
                   number(spread_depth_of(write.registers[REG11], after)) + " with N " +
                   number(write.registers[REG11]);
        case REG13:
            return change("PLL M", number(before), number(after));
        case REG17:
            return (after & kReg17Latch) != 0 ? "PLL latch, the first of two" : "";
        case REG1F:
            return (after & kReg1FLatch) == kReg1FLatch
                       ? "PLL latch, the second of two: the new N and M reach the VCO"
                       : "";
        case REG21:
            return reg21_meaning(before, after);
        case REG22:
            return reg22_meaning(before, after);
        default:
            return {};
    }
}

std::string held_writes_text(std::string_view heading, const std::vector<HeldWrite>& writes) {
    std::string out = std::string(heading) + " would send, in this order:\n";
    for (const HeldWrite& write : writes) {
        const bool block = write.transfer == TransferFailure::Transfer::BlockWrite;
        std::string meaning = write_meaning(write);
        if (block) {
            // Appended: GCC 12 at -O3 warns (-Wrestrict) on a chain of + with temporaries.
            meaning += meaning.empty() ? "(REG00-" : " (REG00-";
            meaning += register_name(static_cast<std::uint8_t>(write.count - 1));
            meaning += " sent, the others as read)";
        }
        if (write.before == write.after) {
            meaning += meaning.empty() ? "no change" : "; no change";
        }
        out += format("  %s  0x%02X -> 0x%02X  %-11s  %s\n", register_name(write.reg).c_str(),
                      write.before, write.after, block ? "block write" : "word write",
                      meaning.c_str());
    }
    return out;
}

std::string before_after_text(const PlanEnd& before, const PlanEnd& after) {
    const ClockState& a = before.clock;
    const ClockState& b = after.clock;
    std::string out = format("%-18s %-16s %s\n", "", "before", "after");
    const auto row = [&out](const char* name, const std::string& was, const std::string& is) {
        out += format("%-18s %-16s %s\n", name, was.c_str(), is.c_str());
    };
    const auto mhz = [](float value) { return format("%8.3f MHz", double{value}); };
    row("VCO", mhz(a.vco_mhz), mhz(b.vco_mhz));
    row("CPU external", mhz(a.cpu_ext_mhz), mhz(b.cpu_ext_mhz));
    row("PCI", mhz(a.pci_mhz), mhz(b.pci_mhz));
    row("SDRAM", mhz(sdram_mhz(a)), mhz(sdram_mhz(b)));
    row("3V66", mhz(mhz_3v66(a)), mhz(mhz_3v66(b)));
    if (a.cpu_speed_mhz == 0.0f || b.cpu_speed_mhz == 0.0f) {
        row("CPU speed", "not measured", "not measured");
    } else {
        row("CPU speed", mhz(a.cpu_speed_mhz), format("about %.0f MHz", double{b.cpu_speed_mhz}));
    }
    row("PLL N, M", number(a.pll_n) + ", " + number(a.pll_m),
        number(b.pll_n) + ", " + number(b.pll_m));
    row("Group delay CPU", delay(a.delay_cpu), delay(b.delay_cpu));
    row("Group delay PCI", delay(a.delay_pci), delay(b.delay_pci));
    row("Group delay SDRAM", delay(a.delay_sdram), delay(b.delay_sdram));
    row("Group delay 3V66", delay(a.delay_3v66), delay(b.delay_3v66));
    row("Spread spectrum", on_off(before.spread_on), on_off(after.spread_on));
    row("Spread depth", number(a.spread_depth), number(b.spread_depth));
    row("Spread model", number(a.spread_model), number(b.spread_model));
    return out;
}

}  // namespace vantrel::cli
