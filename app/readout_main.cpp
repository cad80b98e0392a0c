// A text readout of what the program finds on the bus and in the clock chip, on the simulated
// board or, with --hardware, on this machine.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "bus/pci_config.h"
#include "bus/register_dump.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_chip.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"
#include "cpu/cpu_speed.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/native_cpu.h"
#include "platform/linux/real_sleeper.h"
#include "res/dialog_templates.h"
#include "sim/sim_board.h"

namespace {

using namespace vantrel;

// The group-delay names as the dialog's lists show them.
std::string delay_name(std::uint8_t code) {
    return code < std::size(res::kGroupDelayItems) ? std::string(res::kGroupDelayItems[code]) : "?";
}

int usage() {
    std::fprintf(stderr,
                 "usage: vantrel-readout [--hub aa|ab|ba] [--chip-dump FILE] "
                 "[--dividers CPU/SDRAM]\n"
                 "       vantrel-readout --hardware\n"
                 "  --hub        the I/O controller hub of the simulated board (default ba)\n"
                 "  --chip-dump  load the clock chip's registers from an i2cdump-style file\n"
                 "  --dividers   the simulated chip's divider straps: 3, 4 or 6 / 3 or 4\n"
                 "  --hardware   read the real board (Linux, x86, root)\n");
    return 2;
}

// What the program finds on the bus and in the chip. `reach_smbus` makes the controller's
// I/O block reachable once its base is known.
int readout(PortIo& io, Sleeper& sleeper, CpuInstructions& cpu, SystemTiming& timing,
            const std::function<bool(std::uint16_t)>& reach_smbus) {
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    ClockState state;
    if (!detect_smbus_controller(io, controller)) {
        std::printf("Cannot Get SM Base Address!\n");
        return 1;
    }
    std::printf("SMBus controller  : Intel %s\n", chipset_display_name(controller.kind));
    std::printf("SMBus I/O base    : 0x%04X\n", controller.io_base);
    if (!reach_smbus(controller.io_base)) {
        return 1;
    }

    SmbusHost host(io, sleeper, controller, device, shadow);
    ClockChip chip(host, state);
    if (!chip.detect()) {
        std::printf("Cannot Find VXC812-07 Clock Generator!\n");
        return 1;
    }
    std::printf("Clock generator   : VXC812-07 at SMBus address 0x%02X\n\n", device.value);
    std::printf("CPU divider       : %u\n", state.cpu_divider);
    std::printf("SDRAM divider     : %u\n", state.sdram_divider);
    std::printf("PLL N, M          : %u, %u\n", state.pll_n, state.pll_m);
    std::printf("VCO               : %8.3f MHz\n", double{state.vco_mhz});
    std::printf("CPU external      : %8.3f MHz\n", double{state.cpu_ext_mhz});
    std::printf("PCI               : %8.3f MHz\n", double{state.pci_mhz});
    std::printf("SDRAM             : %8.3f MHz\n", double{sdram_mhz(state)});
    std::printf("3V66              : %8.3f MHz\n", double{mhz_3v66(state)});
    VendorFlag vendor;
    refresh_cpu_speed(state, cpu, timing, vendor);
    if (state.cpu_speed_mhz == 0.0f) {
        std::printf(
            "CPU speed         : not measured (not a genuine Intel processor, or no timer)\n");
    } else {
        std::printf("CPU speed         : %8.3f MHz\n", double{state.cpu_speed_mhz});
    }
    std::printf("Group delay       : CPU %s, PCI %s, SDRAM %s, 3V66 %s\n",
                delay_name(state.delay_cpu).c_str(), delay_name(state.delay_pci).c_str(),
                delay_name(state.delay_sdram).c_str(), delay_name(state.delay_3v66).c_str());
    std::printf("Spread spectrum   : %s, depth %u, model %u\n\n",
                (shadow[REG00] & kReg00SpreadEnable) != 0 ? "on" : "off", state.spread_depth,
                state.spread_model);

    // A full dump reads every register on its own, which the chip allows only in enhanced mode.
    bool known[kClockChipRegisterCount] = {};
    if (chip.enter_enhanced_mode()) {
        for (std::uint8_t reg = 0; reg < kClockChipRegisterCount; ++reg) {
            std::uint8_t value = 0;
            known[reg] = host.read_register(reg, value) != 0;
        }
        if (!chip.leave_enhanced_mode()) {
            std::printf("Leaving enhanced mode failed.\n");
        }
    }
    std::printf("Register dump of the clock generator:\n%s",
                format_register_dump(shadow.bytes.data(), known, shadow.bytes.size()).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    sim::SimBoard board;
    bool hardware = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hardware") {
            hardware = true;
        } else if (arg == "--hub" && i + 1 < argc) {
            const std::string hub = argv[++i];
            if (hub == "aa") {
                board.pci().set_hub_id(kIdIch82801AA);
            } else if (hub == "ab") {
                board.pci().set_hub_id(kIdIch82801AB);
            } else if (hub == "ba") {
                board.pci().set_hub_id(kIdIch82801BA);
            } else {
                return usage();
            }
        } else if (arg == "--dividers" && i + 1 < argc) {
            unsigned cpu = 0;
            unsigned sdram = 0;
            if (std::sscanf(argv[++i], "%u/%u", &cpu, &sdram) != 2 ||
                (cpu != 3 && cpu != 4 && cpu != 6) || (sdram != 3 && sdram != 4)) {
                return usage();
            }
            board.chip().set_straps(cpu, sdram);
        } else if (arg == "--chip-dump" && i + 1 < argc) {
            std::ifstream file(argv[++i]);
            if (!file) {
                std::fprintf(stderr, "vantrel-readout: cannot open %s: %s\n", argv[i],
                             std::strerror(errno));
                return 1;
            }
            std::stringstream text;
            text << file.rdbuf();
            std::string error;
            if (!board.chip().load_dump(text.str(), error)) {
                std::fprintf(stderr, "vantrel-readout: %s: %s\n", argv[i], error.c_str());
                return 1;
            }
        } else {
            return usage();
        }
    }

    if (!hardware) {
        std::printf("Vantrel readout (simulated board)\n\n");
        return readout(board, board.time(), board.cpu(), board.cpu(),
                       [](std::uint16_t) { return true; });
    }
    platform::LinuxPortIo io;
    platform::RealSleeper sleeper;
    platform::NativeCpu cpu;
    platform::LinuxTiming timing;
    std::string error;
    if (!io.grant_pci_config(error)) {
        std::fprintf(stderr, "vantrel-readout: %s\n", error.c_str());
        return 1;
    }
    std::printf("Vantrel readout (this machine)\n\n");
    return readout(io, sleeper, cpu, timing, [&io](std::uint16_t base) {
        std::string refused;
        if (!io.grant(base, 8, refused)) {
            std::fprintf(stderr, "vantrel-readout: %s\n", refused.c_str());
            return false;
        }
        return true;
    });
}
