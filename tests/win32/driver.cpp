// SPDX-License-Identifier: GPL-2.0-or-later
// Drives vantrel.exe as a user would, under Wine: starts it with /simulate options, finds its
// windows by title, reads and sets its controls by ID with window messages, presses buttons,
// reads and answers its message boxes, and reads what it left in the registry and in its
// version resource. Prints one line per check and a closing "N passed, N failed" line; exits
// non-zero when a check failed.
//
//   driver.exe PATH\vantrel.exe [GROUP...]    (GROUP: version, caution, boards, slider, run,
//                                             save, load, init, startup, refused, instance,
//                                             dump, picture; default all)
#include <cstdio>
#include <string>

#include "tests/win32/harness.h"

using namespace vantrel::driver;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: driver.exe PATH\\vantrel.exe [GROUP...]\n");
        return 2;
    }
    g_program = argv[1];
    struct Group {
        const char* name;
        void (*run)();
    };
    const Group groups[] = {
        {"version", version_resource},
        {"caution", caution_notice},
        {"boards", main_dialog_per_board},
        {"slider", slider_and_check_box},
        {"run", run_settings},
        {"save", save_settings},
        {"load", load_settings},
        {"init", failed_initialisation},
        {"startup", load_at_start},
        {"refused", refused_hardware},
        {"instance", one_instance},
        {"dump", simulated_dump},
        {"picture", main_dialog_picture},
    };
    // Every group by default; a list of names runs only those.
    for (const Group& group : groups) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) {
            wanted = wanted || std::string(argv[i]) == group.name;
        }
        if (wanted) {
            group.run();
        }
    }
    forget_everything();
    std::printf("%d passed, %d failed\n", passed_count(), failed_count());
    return failed_count() == 0 ? 0 : 1;
}
