#pragma once

#include <chrono>
#include <string>

#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "qt/board.h"
#include "qt/command_line.h"
#include "ui/registry.h"

namespace vantrel::qt {

// The program-wide records: they live from start to exit, owned by main and handed down.
struct ProgramRecords {
    SmbusController controller;
    DeviceAddress device_address;
    RegisterShadow shadow;
    ClockState clock;
    SettingsKey settings_key;
    VendorFlag vendor;
};

// One run of the desktop program once the command line is read and the board is ready (the
// QApplication exists): the settings file, the windows and start-up. `refusal` is why the
// hardware could not be used, shown before the dialog opens, or empty. Returns the exit status.
int run_program(const CommandLine& line, Board& board, ProgramRecords& records,
                const std::string& refusal, std::chrono::steady_clock::time_point start);

}  // namespace vantrel::qt
