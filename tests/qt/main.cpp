// SPDX-License-Identifier: GPL-2.0-or-later
// Runs the Qt program's test classes: all of them, or the one named by the first argument.
// The remaining arguments go to Qt Test.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <vector>

#include "qt/widgets.h"
#include "test_classes.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The look the program runs with.
    vantrel::qt::apply_3d_look();

    vantrel::test::LayoutTest layout;
    vantrel::test::MainWindowTest main_window;
    vantrel::test::SettingsTest settings;
    vantrel::test::CautionTest caution;
    vantrel::test::ProgramTest program;
    const std::vector<QObject*> tests = {&layout, &main_window, &settings, &caution, &program};

    const char* only = nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (args.size() > 1 && args[1][0] != '-') {
        only = args[1];
        args.erase(args.begin() + 1);
    }
    int failures = 0;
    bool ran = false;
    for (QObject* test : tests) {
        const char* name = test->metaObject()->className();
        const char* bare = std::strrchr(name, ':');
        if (only != nullptr && std::strcmp(bare != nullptr ? bare + 1 : name, only) != 0) {
            continue;
        }
        ran = true;
        failures += QTest::qExec(test, static_cast<int>(args.size()), args.data());
    }
    if (!ran) {
        qWarning("no test class named %s", only);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
