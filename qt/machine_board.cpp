#include "qt/machine_board.h"

namespace vantrel::qt {

platform::HardwareAccessStatus MachineBoard::prepare(platform::BusRequest request,
                                                     SmbusController& controller,
                                                     const DeviceAddress& device,
                                                     RegisterShadow& shadow, std::string& message) {
    return bus_.open_machine(request, io_, i2c_dev_, {sleeper_, controller, device, shadow},
                             message);
}

}  // namespace vantrel::qt
