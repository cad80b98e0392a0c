#include "qt/machine_board.h"

namespace vantrel::qt {

platform::HardwareAccessStatus MachineBoard::prepare(std::string& message) {
    access_ = platform::prepare_hardware_access({}, io_, message);
    return access_.status;
}

}  // namespace vantrel::qt
