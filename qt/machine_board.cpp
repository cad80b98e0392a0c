#include "qt/machine_board.h"

#include "platform/linux/smbus_sysfs.h"

namespace vantrel::qt {

platform::HardwareAccessStatus MachineBoard::prepare(platform::BusRequest request,
                                                     SmbusController& controller,
                                                     const DeviceAddress& device,
                                                     RegisterShadow& shadow, std::string& message) {
    platform::BusChoice choice =
        platform::choose_bus(request, platform::read_smbus_sysfs("/sys"), i2c_dev_,
                             {sleeper_, controller, device, shadow});
    path_ = platform::bus_path_name(choice);
    reason_ = choice.reason;
    if (choice.path == platform::BusPath::Ports) {
        access_ = platform::prepare_hardware_access({}, io_, message);
        backend_ = std::make_unique<PortSmbusBackend>(io_, sleeper_, controller, device, shadow);
        if (access_.status == platform::HardwareAccessStatus::Refused) {
            path_.clear();
        }
        return access_.status;
    }
    if (choice.path == platform::BusPath::Kernel) {
        // The node is open: nothing after this needs root.
        backend_ = std::move(choice.kernel);
    } else {
        backend_ = std::make_unique<NoSmbusBackend>(controller, shadow);
    }
    const platform::HardwareAccessStatus dropped =
        platform::give_up_root(io_.system().privileges, message);
    if (dropped != platform::HardwareAccessStatus::Ready) {
        backend_.reset();
        return dropped;
    }
    if (choice.path == platform::BusPath::None) {
        note_ = message;
        message = choice.refusal;
        return platform::HardwareAccessStatus::Refused;
    }
    return platform::HardwareAccessStatus::Ready;
}

}  // namespace vantrel::qt
