#include "app/cli/machine.h"

#include "platform/linux/hardware_access.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/native_cpu.h"
#include "platform/linux/real_sleeper.h"

namespace vantrel::cli {

namespace {

class ThisMachine : public OpenMachine {
  public:
    bool open(std::string& message) {
        access_ = platform::prepare_hardware_access({}, io_, message);
        return access_.ready();
    }
    Machine machine() override { return {io_, sleeper_, cpu_, timing_}; }

  private:
    platform::LinuxPortIo io_;
    platform::RealSleeper sleeper_;
    platform::NativeCpu cpu_;
    platform::LinuxTiming timing_;
    platform::HardwareAccess access_;
};

}  // namespace

std::unique_ptr<OpenMachine> open_this_machine(std::string& message) {
    auto machine = std::make_unique<ThisMachine>();
    if (!machine->open(message)) {
        return nullptr;
    }
    return machine;
}

}  // namespace vantrel::cli
