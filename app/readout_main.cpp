// A text readout of the simulated board: what the program finds on the bus and in the chip.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "bus/pci_config.h"
#include "bus/register_dump.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "sim/sim_board.h"

namespace {

using namespace vantrel;

int usage() {
    std::fprintf(stderr,
                 "usage: vantrel-readout [--hub aa|ab|ba] [--chip-dump FILE]\n"
                 "  --hub        the I/O controller hub of the simulated board (default ba)\n"
                 "  --chip-dump  load the clock chip's registers from an i2cdump-style file\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    sim::SimBoard board;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hub" && i + 1 < argc) {
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

    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    std::printf("Vantrel readout (simulated board)\n\n");
    if (!detect_smbus_controller(board, controller)) {
        std::printf("Cannot Get SM Base Address!\n");
        return 1;
    }
    std::printf("SMBus controller : Intel %s\n", chipset_display_name(controller.kind));
    std::printf("SMBus I/O base   : 0x%04X\n", controller.io_base);

    SmbusHost host(board, board.time(), controller, device, shadow);
    std::uint8_t count = 0;
    if (!host.block_read(count)) {
        std::printf("Clock chip at 0x%02X does not answer a block read.\n", device.value);
        return 1;
    }
    std::printf("Clock chip       : 0x%02X, %u bytes in a block read\n\n", device.value, count);
    bool known[kClockChipRegisterCount] = {};
    for (unsigned i = 0; i < count && i < kClockChipRegisterCount; ++i) {
        known[i] = true;
    }
    std::printf("%s",
                format_register_dump(shadow.bytes.data(), known, shadow.bytes.size()).c_str());
    return 0;
}
