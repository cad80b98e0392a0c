// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

// The Qt program's tests, one class per behaviour group. Each runs on the offscreen platform
// against the simulated board with instant pauses.

namespace vantrel::test {

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void every_control_data();
    void every_control();
    void version_line_data();
    void version_line();
    void windows_data();
    void windows();
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void start_up_data();
    void start_up();
    void slider_writes_edit_box_data();
    void slider_writes_edit_box();
    void typed_clock_applies_data();
    void typed_clock_applies();
    void invalid_frequency_data();
    void invalid_frequency();
    void spread_box_data();
    void spread_box();
    void fault_message_data();
    void fault_message();
    void busy_cursor_data();
    void busy_cursor();
    void stopped_data();
    void stopped();
};

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void save_then_load_data();
    void save_then_load();
};

class ProgramTest : public QObject {
    Q_OBJECT

  private slots:
    void run_data();
    void run();
    void simulated_settings_apart();
    void bus_path_data();
    void bus_path();
};

class CautionTest : public QObject {
    Q_OBJECT

  private slots:
    void notice_data();
    void notice();
};

}  // namespace vantrel::test
