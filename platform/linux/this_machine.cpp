// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/this_machine.h"

#include "platform/linux/access/hardware_access.h"
#include "platform/linux/access/privilege_drop.h"
#include "platform/linux/kernel/i2c_dev_system.h"
#include "platform/linux/kernel/smbus_sysfs.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/real_sleeper.h"
#include "platform/x86/native_cpu.h"

namespace vantrel::platform {

namespace {

class ThisMachine : public Machine {
  public:
    explicit ThisMachine(const MachineRecords& records) : records_(records) {}

    // Anything but Ready or Refused comes with why in `error`; the notes are the machine's.
    HardwareAccessStatus open(BusRequest request, std::string& error);

    SmbusBackend& backend() override { return *backend_; }
    Sleeper& sleeper() override { return sleeper_; }
    CpuInstructions& cpu() override { return cpu_; }
    SystemTiming& timing() override { return timing_; }

  private:
    HardwareAccessStatus refuse(std::string why, std::string note);
    void note(std::string text) {
        if (!text.empty()) {
            notes_.push_back(std::move(text));
        }
    }

    MachineRecords records_;
    LinuxPortIo io_;
    PrivilegeSystem privileges_ = real_privilege_system();
    RealSleeper sleeper_;
    NativeCpu cpu_;
    LinuxTiming timing_;
    RealI2cDevSystem i2c_dev_;
    HardwareAccess access_;                  // holds the instance lock on the port path
    std::unique_ptr<SmbusBackend> backend_;  // declared last: it closes before what it uses goes
};

HardwareAccessStatus ThisMachine::refuse(std::string why, std::string note_text) {
    bus_path_.clear();
    refusal_ = std::move(why);
    backend_ = std::make_unique<NoSmbusBackend>(records_.controller, records_.shadow);
    note(std::move(note_text));
    return HardwareAccessStatus::Refused;
}

HardwareAccessStatus ThisMachine::open(BusRequest request, std::string& error) {
    const BusRecords bus{sleeper_, records_.controller, records_.device_address, records_.shadow};
    BusChoice choice = choose_bus(request, read_smbus_sysfs("/sys"), i2c_dev_, bus);
    bus_path_ = bus_path_name(choice);
    const std::string reason = choice.reason.empty() ? "" : "not the kernel path: " + choice.reason;
    if (choice.path == BusPath::Ports) {
        std::string access_note;
        access_ = prepare_hardware_access({}, io_, privileges_, error, access_note);
        if (access_.status == HardwareAccessStatus::Refused) {
            refuse(error, {});
            error.clear();
            note(reason);
        } else if (access_.status == HardwareAccessStatus::Ready) {
            backend_ = std::make_unique<PortSmbusBackend>(io_, sleeper_, records_.controller,
                                                          records_.device_address, records_.shadow);
            note(access_note);
            note(reason);
        }
        return access_.status;
    }
    // On the kernel path the node is open: nothing after this needs root.
    std::string drop_note;
    const HardwareAccessStatus dropped = give_up_root(privileges_, error, drop_note);
    if (dropped != HardwareAccessStatus::Ready) {
        return dropped;
    }
    if (choice.path == BusPath::None) {
        if (choice.held_elsewhere) {
            error = drop_note.empty() ? choice.refusal : choice.refusal + "\n" + drop_note;
            return HardwareAccessStatus::AlreadyRunning;
        }
        return refuse(choice.refusal, drop_note);
    }
    backend_ = std::move(choice.kernel);
    note(drop_note);
    return HardwareAccessStatus::Ready;
}

}  // namespace

std::unique_ptr<Machine> make_this_machine(BusRequest request, const MachineRecords& records,
                                           std::string& error) {
    auto machine = std::make_unique<ThisMachine>(records);
    std::string open_error;
    switch (machine->open(request, open_error)) {
        case HardwareAccessStatus::Ready:
        case HardwareAccessStatus::Refused:
            return machine;
        case HardwareAccessStatus::AlreadyRunning:
        case HardwareAccessStatus::CannotDropRoot:
            break;
    }
    error = open_error;
    return nullptr;
}

}  // namespace vantrel::platform
