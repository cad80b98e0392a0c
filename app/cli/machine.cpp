#include "app/cli/machine.h"

#include "platform/linux/board_bus.h"
#include "platform/linux/i2c_dev_system.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/real_sleeper.h"
#include "platform/x86/native_cpu.h"

namespace vantrel::cli {

namespace {

class ThisMachine : public OpenMachine {
  public:
    explicit ThisMachine(ProgramRecords& records) : records_(records) {}

    bool open(platform::BusRequest request, std::string& message) {
        const platform::HardwareAccessStatus status = bus_.open_machine(
            request, io_, i2c_dev_,
            {sleeper_, records_.controller, records_.device_address, records_.shadow}, message);
        if (status != platform::HardwareAccessStatus::Ready) {
            if (!bus_.note().empty()) {
                message += "\n" + bus_.note();
            }
            return false;
        }
        if (!bus_.reason().empty()) {
            message += (message.empty() ? "" : "\n") + std::string("not the kernel path: ") +
                       bus_.reason();
        }
        return true;
    }
    Machine machine() override {
        return {io_, sleeper_, cpu_, timing_, *bus_.backend(), records_, bus_.path()};
    }

  private:
    ProgramRecords& records_;
    platform::LinuxPortIo io_;
    platform::RealSleeper sleeper_;
    platform::NativeCpu cpu_;
    platform::LinuxTiming timing_;
    platform::RealI2cDevSystem i2c_dev_;
    platform::BoardBus bus_;  // declared last: it closes before what it uses goes
};

}  // namespace

std::unique_ptr<OpenMachine> open_this_machine(platform::BusRequest request,
                                               ProgramRecords& records, std::string& message) {
    auto machine = std::make_unique<ThisMachine>(records);
    if (!machine->open(request, message)) {
        return nullptr;
    }
    return machine;
}

}  // namespace vantrel::cli
