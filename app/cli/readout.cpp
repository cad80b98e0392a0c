#include "app/cli/readout.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cli/simulated_board.h"
#include "bus/register_dump.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_chip.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"
#include "cpu/cpu_speed.h"
#include "res/dialog_templates.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"

namespace vantrel::cli {

namespace {

constexpr std::string_view kProgram = "vantrel-readout";

// The group-delay names as the dialog's lists show them.
std::string_view delay_name(std::uint8_t code) {
    return code < std::size(res::kGroupDelayItems) ? res::kGroupDelayItems[code] : "?";
}

std::string line(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// A wrong argument: the message names it, and the usage is one --help away.
int usage_error(Console& console, const std::string& message) {
    console.err(std::string(kProgram) + ": " + message + "\nTry '" + std::string(kProgram) +
                " --help'.\n");
    return kExitUsage;
}

// One piece of the simulated board's option list and the argument it came from.
struct OptionSource {
    std::string items;
    std::string argument;
};

// Parses the pieces as one list, so that an option given twice is caught across arguments; on
// failure the error names the argument that made the list wrong.
bool parse_sources(const std::vector<OptionSource>& sources, sim::BoardOptions& options,
                   std::string& error) {
    std::string list;
    for (const OptionSource& source : sources) {
        if (source.items.empty()) {
            continue;
        }
        const std::string candidate = list.empty() ? source.items : list + "," + source.items;
        sim::BoardOptions parsed;
        std::string reason;
        if (!sim::parse_board_options(candidate, parsed, reason)) {
            error = source.argument + ": " + reason;
            return false;
        }
        list = candidate;
    }
    return sim::parse_board_options(list, options, error);
}

}  // namespace

std::string readout_usage() {
    std::string text =
        "usage: vantrel-readout [--simulate[=OPTIONS]] [--hub HUB] [--dividers CPU/SDRAM]\n"
        "                       [--chip-dump FILE]\n"
        "       vantrel-readout --hardware\n"
        "\n"
        "Prints what Vantrel finds on the SMBus and in the VXC812-07 clock chip, and the chip's\n"
        "registers as an i2cdump grid (which --chip-dump loads back). It reads a simulated\n"
        "board unless --hardware is given.\n"
        "\n"
        "  --simulate[=OPTIONS]  the simulated board, set up as OPTIONS say (below)\n"
        "  --hub HUB             the same as --simulate=hub=HUB\n"
        "  --dividers CPU/SDRAM  the same as --simulate=dividers=CPU/SDRAM\n"
        "  --chip-dump FILE      the same as --simulate=dump=FILE\n"
        "  --hardware            read this machine (Linux on x86, as root). This is not a\n"
        "                        passive read: finding the chip writes to it (it switches the\n"
        "                        chip's read-back mode and enters and leaves enhanced mode,\n"
        "                        writing registers 0x00 to 0x10 back as read)\n"
        "  -h, --help            this text\n"
        "\n"
        "Exit status: 0 when the chip was read, 1 when no controller or chip was found or\n"
        "access was refused, 2 for a wrong argument.\n"
        "\n";
    text += sim::board_options_help();
    return text;
}

int readout(const Machine& machine, std::string_view title, Console& console) {
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    ClockState state;
    console.out(std::string(title) + "\n\n");
    if (!detect_smbus_controller(machine.io, controller)) {
        console.err("Cannot Get SM Base Address!\n");
        return kExitFailed;
    }
    console.out(line("SMBus controller  : Intel %s\n", chipset_display_name(controller.kind)));
    console.out(line("SMBus I/O base    : 0x%04X\n", controller.io_base));
    std::string refused;
    if (!machine.reach_smbus(controller.io_base, refused)) {
        console.err(std::string(kProgram) + ": " + refused + "\n");
        return kExitFailed;
    }

    SmbusHost host(machine.io, machine.sleeper, controller, device, shadow);
    ClockChip chip(host, state);
    if (!chip.detect()) {
        console.err("Cannot Find VXC812-07 Clock Generator!\n");
        return kExitFailed;
    }
    console.out(line("Clock generator   : VXC812-07 at SMBus address 0x%02X\n\n", device.value));
    console.out(line("CPU divider       : %u\n", state.cpu_divider));
    console.out(line("SDRAM divider     : %u\n", state.sdram_divider));
    console.out(line("PLL N, M          : %u, %u\n", state.pll_n, state.pll_m));
    console.out(line("VCO               : %8.3f MHz\n", double{state.vco_mhz}));
    console.out(line("CPU external      : %8.3f MHz\n", double{state.cpu_ext_mhz}));
    console.out(line("PCI               : %8.3f MHz\n", double{state.pci_mhz}));
    console.out(line("SDRAM             : %8.3f MHz\n", double{sdram_mhz(state)}));
    console.out(line("3V66              : %8.3f MHz\n", double{mhz_3v66(state)}));
    VendorFlag vendor;
    refresh_cpu_speed(state, machine.cpu, machine.timing, vendor);
    if (state.cpu_speed_mhz == 0.0f) {
        console.out(
            "CPU speed         : not measured (not a genuine Intel processor, or no "
            "timer)\n");
    } else {
        console.out(line("CPU speed         : %8.3f MHz\n", double{state.cpu_speed_mhz}));
    }
    console.out("Group delay       : CPU " + std::string(delay_name(state.delay_cpu)) + ", PCI " +
                std::string(delay_name(state.delay_pci)) + ", SDRAM " +
                std::string(delay_name(state.delay_sdram)) + ", 3V66 " +
                std::string(delay_name(state.delay_3v66)) + "\n");
    console.out(line("Spread spectrum   : %s, depth %u, model %u\n\n",
                     (shadow[REG00] & kReg00SpreadEnable) != 0 ? "on" : "off", state.spread_depth,
                     state.spread_model));

    // A full dump reads every register on its own, which the chip allows only in enhanced mode.
    bool known[kClockChipRegisterCount] = {};
    int status = kExitOk;
    if (chip.enter_enhanced_mode()) {
        for (std::uint8_t reg = 0; reg < kClockChipRegisterCount; ++reg) {
            std::uint8_t value = 0;
            known[reg] = host.read_register(reg, value) != 0;
        }
        if (!chip.leave_enhanced_mode()) {
            console.err("Disable Enhanced Mode Failed!\n");
            status = kExitFailed;
        }
    } else {
        console.err("Enable Enhanced-Mode Failed!\n");
        status = kExitFailed;
    }
    console.out("Register dump of the clock generator:\n" +
                format_register_dump(shadow.bytes.data(), known, shadow.bytes.size()));
    return status;
}

int run_readout(std::span<const std::string> args, const ReadoutEnvironment& env) {
    Console& console = env.console;
    bool hardware = false;
    std::string simulated_by;  // the first argument that asked for the simulated board
    std::vector<OptionSource> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            console.out(readout_usage());
            return kExitOk;
        }
        if (arg == "--hardware") {
            hardware = true;
            continue;
        }
        if (arg == "--simulate" || arg.starts_with("--simulate=")) {
            sources.push_back({arg.size() > 10 ? arg.substr(11) : "", arg});
            simulated_by = simulated_by.empty() ? arg : simulated_by;
            continue;
        }
        static constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
            {"--hub", "hub"}, {"--dividers", "dividers"}, {"--chip-dump", "dump"}};
        bool alias = false;
        for (const auto& [name, option] : kAliases) {
            std::string value;
            if (arg == name) {
                if (i + 1 == args.size()) {
                    return usage_error(console, std::string(name) + " needs a value");
                }
                value = args[++i];
                sources.push_back({std::string(option) + "=" + value, arg + " " + value});
            } else if (arg.starts_with(std::string(name) + "=")) {
                value = arg.substr(name.size() + 1);
                sources.push_back({std::string(option) + "=" + value, arg});
            } else {
                continue;
            }
            simulated_by = simulated_by.empty() ? sources.back().argument : simulated_by;
            alias = true;
            break;
        }
        if (!alias) {
            return usage_error(console, "unknown argument \"" + arg + "\"");
        }
    }
    if (hardware && !simulated_by.empty()) {
        return usage_error(console,
                           simulated_by + ": --hardware reads this machine, not a simulated board");
    }
    if (hardware) {
        return env.read_machine(console);
    }

    sim::BoardOptions options;
    std::string error;
    if (!parse_sources(sources, options, error)) {
        return usage_error(console, error);
    }
    sim::SimBoard board;
    std::string notice;
    if (!build_simulated_board(options, board, error, notice)) {
        // The dump file is the user's argument too.
        console.err(std::string(kProgram) + ": " + error + "\n");
        return kExitUsage;
    }
    if (!notice.empty()) {
        console.err(std::string(kProgram) + ": note: " + notice + "\n");
    }
    sim::PacedSleeper paced(board.time(), env.real_sleeper);
    Sleeper& sleeper = options.real_pauses ? static_cast<Sleeper&>(paced) : board.time();
    const Machine machine{board, sleeper, board.cpu(), board.cpu(),
                          [](std::uint16_t, std::string&) { return true; }};
    return readout(machine, "Vantrel readout (simulated board)", console);
}

}  // namespace vantrel::cli
