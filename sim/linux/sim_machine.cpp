// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/linux/sim_machine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "bus/smbus_backend.h"
#include "platform/linux/durable_file.h"
#include "platform/linux/text_file.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"

namespace vantrel::sim {

namespace {

bool board_file_exists(const std::string& path) {
    struct stat status {};
    // Anything but a missing file is read, so that one that cannot be read is refused rather
    // than overwritten by a board started afresh.
    return ::lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

bool replace_board_file(const std::string& path, const std::string& text, std::string& problem) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const platform::FileDescriptor dir_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir_fd.get() < 0) {
        problem = "cannot open the directory " + dir + ": " + std::strerror(errno);
        return false;
    }
    return platform::replace_file({dir_fd.get(), dir, base}, text, std::nullopt, {}, problem);
}

class LinuxSimulatedMachine : public SimulatedMachine {
  public:
    using SimulatedMachine::SimulatedMachine;
    // The kernel path's bus closes its node on the way out, so it goes before the node does.
    ~LinuxSimulatedMachine() override { reach_bus(nullptr, {}, {}); }
    LinuxSimulatedMachine(const LinuxSimulatedMachine&) = delete;
    LinuxSimulatedMachine& operator=(const LinuxSimulatedMachine&) = delete;

    void reach_through_kernel() {
        node_.attach(kClockChipAddress, board().chip());
        for (const Fault& fault : options().faults) {
            node_.inject(fault);
        }
        const MachineRecords& r = records();
        platform::BusChoice choice = platform::choose_bus(
            platform::BusRequest::Kernel,
            simulated_smbus_sysfs(board().pci().hub_id(), board().pci().smbus_base()), node_,
            {sleeper(), r.controller, r.device_address, r.shadow});
        std::string path = platform::bus_path_name(choice);
        if (choice.path != platform::BusPath::Kernel) {
            reach_bus(std::make_unique<NoSmbusBackend>(r.controller, r.shadow), std::move(path),
                      choice.refusal);
            return;
        }
        reach_bus(std::move(choice.kernel), std::move(path), {});
    }

  private:
    SimulatedI2cDev node_;
};

}  // namespace

std::unique_ptr<SimulatedMachine> make_simulated_machine(const BoardOptions& options,
                                                         platform::BusRequest request,
                                                         Sleeper& real,
                                                         const MachineRecords& records,
                                                         std::string& error) {
    auto machine = std::make_unique<LinuxSimulatedMachine>(records, real);
    if (!machine->make(options, platform::read_small_file, {board_file_exists, replace_board_file},
                       error)) {
        return nullptr;
    }
    // No kernel driver holds a simulated hub unless asked to.
    if (request == platform::BusRequest::Kernel) {
        machine->reach_through_kernel();
    }
    return machine;
}

}  // namespace vantrel::sim
