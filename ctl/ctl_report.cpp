// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/ctl_report.h"

#include <cstdint>

#include "bus/ascii_text.h"
#include "bus/register_dump.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"
#include "ctl/failure_text.h"
#include "ctl/reason_text.h"
#include "res/resource_ids.h"
#include "ui/group_delay_names.h"

namespace vantrel::cli {

namespace {

// The range the apply holds a CPU external clock to: the slider's, set from the divider.
SliderRange valid_range(DialogSession& session) {
    return {session.controls().slider_minimum(IDC_FREQ_SLIDER),
            session.controls().slider_maximum(IDC_FREQ_SLIDER)};
}

}  // namespace

std::string show_text(DialogSession& session) {
    const ClockState& clock = session.clock();
    std::string out;
    out +=
        format("SMBus controller  : Intel %s\n", chipset_display_name(session.controller().kind));
    out += format("SMBus I/O base    : 0x%04X\n", session.controller().io_base);
    out += "SMBus path        : " + session.bus_path() +
           (session.simulated() ? " of the simulated board, not of this machine" : "") + "\n";
    out += format("Clock generator   : VXC812-07 at SMBus address 0x%02X\n",
                  session.device_address().value);
    out += format("CPU divider       : %u\n", clock.cpu_divider);
    out += format("SDRAM divider     : %u\n", clock.sdram_divider);
    out += "CPU external range: " + range_text(valid_range(session)) + " (CPU divider " +
           std::to_string(clock.cpu_divider) + ")\n";
    out += format("PLL N, M          : %u, %u\n", clock.pll_n, clock.pll_m);
    out += format("VCO               : %8.3f MHz\n", double{clock.vco_mhz});
    out += format("CPU external      : %8.3f MHz\n", double{clock.cpu_ext_mhz});
    out += format("PCI               : %8.3f MHz\n", double{clock.pci_mhz});
    out += format("SDRAM             : %8.3f MHz\n", double{sdram_mhz(clock)});
    out += format("3V66              : %8.3f MHz\n", double{mhz_3v66(clock)});
    if (clock.cpu_speed_mhz == 0.0f) {
        out += "CPU speed         : not measured (not a genuine Intel processor, or no timer)\n";
    } else {
        out += format("CPU speed         : %8.3f MHz\n", double{clock.cpu_speed_mhz});
    }
    out += "Group delay       : CPU " + std::string(group_delay_name(clock.delay_cpu)) + ", PCI " +
           std::string(group_delay_name(clock.delay_pci)) + ", SDRAM " +
           std::string(group_delay_name(clock.delay_sdram)) + ", 3V66 " +
           std::string(group_delay_name(clock.delay_3v66)) + "\n";
    out += format("Spread spectrum   : %s, depth %u, model %u\n",
                  (session.shadow()[REG00] & kReg00SpreadEnable) != 0 ? "on" : "off",
                  clock.spread_depth, clock.spread_model);
    return out;
}

namespace {

std::string last_failure_json(const DialogSession& session) {
    const TransferFailure* failure = session.last_failure();
    return failure == nullptr ? "null" : failure_json(*failure);
}

}  // namespace

std::string show_json(DialogSession& session) {
    const ClockState& clock = session.clock();
    const auto delay = [](std::uint8_t code) {
        // Appended, not prepended: GCC 12 at -O3 warns falsely of overlapping copies otherwise.
        std::string quoted(1, '"');
        quoted += ascii::lower_case(group_delay_name(code));
        quoted += '"';
        return quoted;
    };
    std::string out = "{\n";
    out += format("  \"controller\": {\"hub\": \"%s\", \"io_base\": %u},\n",
                  chipset_display_name(session.controller().kind),
                  unsigned{session.controller().io_base});
    out += format("  \"chip\": {\"name\": \"VXC812-07\", \"address\": %u},\n",
                  unsigned{session.device_address().value});
    out += format("  \"dividers\": {\"cpu\": %u, \"sdram\": %u},\n", clock.cpu_divider,
                  clock.sdram_divider);
    out += format("  \"pll\": {\"n\": %u, \"m\": %u},\n", clock.pll_n, clock.pll_m);
    out += format(
        "  \"clocks_mhz\": {\"vco\": %.3f, \"cpu_ext\": %.3f, \"pci\": %.3f, \"sdram\": %.3f, "
        "\"3v66\": %.3f},\n",
        double{clock.vco_mhz}, double{clock.cpu_ext_mhz}, double{clock.pci_mhz},
        double{sdram_mhz(clock)}, double{mhz_3v66(clock)});
    out += clock.cpu_speed_mhz == 0.0f
               ? std::string("  \"cpu_speed_mhz\": null,\n")
               : format("  \"cpu_speed_mhz\": %.3f,\n", double{clock.cpu_speed_mhz});
    out += "  \"delays\": {\"cpu\": " + delay(clock.delay_cpu) +
           ", \"pci\": " + delay(clock.delay_pci) + ", \"sdram\": " + delay(clock.delay_sdram) +
           ", \"3v66\": " + delay(clock.delay_3v66) + "},\n";
    out += format("  \"spread\": {\"enabled\": %s, \"depth\": %u, \"model\": %u},\n",
                  (session.shadow()[REG00] & kReg00SpreadEnable) != 0 ? "true" : "false",
                  clock.spread_depth, clock.spread_model);
    // Added last, so that the keys before it keep their places.
    out += "  \"bus\": \"" + session.bus_path() + "\",\n";
    out += "  \"last_failure\": " + last_failure_json(session) + ",\n";
    const SliderRange range = valid_range(session);
    out += format("  \"cpu_ext_range_mhz\": {\"min\": %d, \"max\": %d},\n", range.minimum,
                  range.maximum);
    out += simulated_json(session.simulated()) + "\n";
    out += "}\n";
    return out;
}

std::string failed_json(DialogSession& session) {
    std::string out = "{\n  \"messages\": [";
    for (std::size_t i = 0; i < session.shown().size(); ++i) {
        out += (i == 0 ? "\"" : ", \"") + session.shown()[i] + "\"";
    }
    out += "],\n  \"last_failure\": " + last_failure_json(session) + ",\n";
    out += simulated_json(session.simulated()) + "\n}\n";
    return out;
}

bool dump_registers(DialogSession& session, Console& console) {
    std::uint8_t all[kClockChipRegisterCount];
    for (std::size_t i = 0; i < std::size(all); ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    RegisterReadback values;
    const bool ok = session.read_registers(all, values);
    // REG10 was read in enhanced mode; leaving it wrote the value the chip holds now.
    if (ok) {
        values[REG10] = session.shadow()[REG10];
    }
    std::uint8_t bytes[kClockChipRegisterCount] = {};
    bool known[kClockChipRegisterCount] = {};
    for (std::size_t i = 0; i < values.size(); ++i) {
        known[i] = values[i].has_value();
        bytes[i] = values[i].value_or(0);
    }
    console.out(format_register_dump(bytes, known, kClockChipRegisterCount));
    if (!ok) {
        say(console,
            "the chip's enhanced mode, in which its registers can be read, could not be entered "
            "or left");
        return false;
    }
    return true;
}

}  // namespace vantrel::cli
