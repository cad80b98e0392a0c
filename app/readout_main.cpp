// A text readout of what the program finds on the bus and in the clock chip, on the simulated
// board or, with --hardware, on this machine.
#include <string>
#include <vector>

#include "app/cli/console.h"
#include "app/cli/readout.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/native_cpu.h"
#include "platform/linux/real_sleeper.h"

namespace {

using namespace vantrel;

int read_this_machine(cli::Console& console) {
    platform::LinuxPortIo io;
    platform::RealSleeper sleeper;
    platform::NativeCpu cpu;
    platform::LinuxTiming timing;
    std::string error;
    if (!io.grant_pci_config(error)) {
        console.err("vantrel-readout: " + error + "\n");
        return cli::kExitFailed;
    }
    const cli::Machine machine{
        io, sleeper, cpu, timing,
        [&io](std::uint16_t base, std::string& refused) { return io.grant(base, 8, refused); }};
    return cli::readout(machine, "Vantrel readout (this machine)", console);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::StdioConsole console;
    platform::RealSleeper sleeper;
    return cli::run_readout(args, {console, sleeper, read_this_machine});
}
