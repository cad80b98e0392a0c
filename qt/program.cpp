#include "qt/program.h"

#include <cstdio>
#include <memory>

#include "app/core/setup_app.h"
#include "platform/linux/reg_file_registry.h"
#include "platform/linux/settings_path.h"
#include "qt/error_boxes.h"
#include "qt/icon_library.h"
#include "qt/main_window.h"
#include "qt/measure_framework.h"
#include "qt/modal_caution_notice.h"
#include "qt/modal_framework.h"
#include "qt/printed_messages.h"
#include "qt/screenshot_caution_notice.h"
#include "qt/screenshot_framework.h"

namespace vantrel::qt {

namespace {

// Says what a rendering wrote, or why it could not; false when it failed.
bool report_picture(bool rendered, const std::string& path, const std::string& error) {
    if (!rendered) {
        std::fprintf(stderr, "vantrel: %s\n", error.c_str());
        return false;
    }
    std::printf("vantrel: wrote %s\n", path.c_str());
    return true;
}

}  // namespace

int run_program(const CommandLine& line, Board& board, ProgramRecords& records,
                const std::string& refusal, std::chrono::steady_clock::time_point start) {
    platform::RegFileRegistry registry(
        line.settings_path.empty() ? platform::default_settings_path() : line.settings_path);
    IconLibrary icons;
    MainWindow window(icons);
    const bool screenshot = !line.screenshot_path.empty();
    ErrorBoxes boxes(&window);
    PrintedMessages printed(stderr);
    MessageBoxes& messages = screenshot ? static_cast<MessageBoxes&>(printed) : boxes;

    if (!refusal.empty()) {
        messages.show(refusal, kErrorCaption, MessageButtons::Ok, MessageIcon::Stop);
    }

    const MainDialogEnvironment env{window.controls(),
                                    window,
                                    messages,
                                    board.cpu_meter(),
                                    board.io(),
                                    board.sleeper(),
                                    records.controller,
                                    records.device_address,
                                    records.shadow,
                                    records.clock,
                                    records.settings_key,
                                    board.backend()};
    window.set_bus_path(board.bus_path());

    int status = 0;
    if (screenshot) {
        ScreenshotFramework framework(window, line.screenshot_path);
        ScreenshotCautionNotice caution(icons, caution_screenshot_path(line.screenshot_path));
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
        if (caution.rendered() || !caution.error().empty()) {
            status |= report_picture(caution.rendered(), caution.path(), caution.error()) ? 0 : 1;
        }
        status |=
            report_picture(framework.rendered(), line.screenshot_path, framework.error()) ? 0 : 1;
    } else if (line.measure) {
        MeasureFramework framework(window, start, stdout);
        ModalCautionNotice caution(icons);
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
    } else {
        ModalFramework framework(window);
        ModalCautionNotice caution(icons);
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
    }
    if (!registry.problem().empty()) {
        std::fprintf(stderr, "vantrel: %s: %s\n", registry.path().c_str(),
                     registry.problem().c_str());
    }
    return status;
}

}  // namespace vantrel::qt
