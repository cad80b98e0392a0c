// SPDX-License-Identifier: GPL-2.0-or-later
// The main window with real widgets on the simulated board, driven as a user drives it.
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <csignal>
#include <optional>
#include <vector>

#include "bus/pci_config.h"
#include "modal_user.h"
#include "qt/program.h"
#include "res/resource_ids.h"
#include "sim/sim_pci.h"
#include "sim/sim_stop_signals.h"
#include "table_rows.h"
#include "test_classes.h"
#include "user_actions.h"
#include "window_harness.h"

namespace vantrel::test {

namespace {

using sim::Fault;
using sim::FaultAction;
using sim::TransferKind;

// The board with CPU/SDRAM divider straps; 0 keeps the default 3/3.
sim::BoardOptions board(unsigned cpu_divider = 0, unsigned sdram_divider = 3) {
    sim::BoardOptions options = instant_board();
    if (cpu_divider != 0) {
        options.cpu_divider = cpu_divider;
        options.sdram_divider = sdram_divider;
    }
    return options;
}

QString text_of(const WindowHarness& h, int id) {
    return h.control<QLineEdit>(id)->text();
}

// Clicks into the frequency box, replaces what it holds with `digits` and presses `key`.
void type_clock(WindowHarness& h, const char* digits, Qt::Key key) {
    QLineEdit* edit = h.control<QLineEdit>(IDC_FREQ_EDIT);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClicks(edit, digits);
    QTest::keyClick(edit, key);
}

// The board runs N 132, M 31: VCO 133 x 96 / 32 = 399 MHz, PCI 399 / 12, 3V66 399 / 6.
struct StartUpRow {
    const char* label;
    std::uint32_t hub;
    unsigned cpu_divider, sdram_divider;
    std::optional<std::uint8_t> depth;
    std::vector<Fault> faults;
    const char* box;  // the one message box, or ""
    const char* sm_type;
    const char* generator;
    QStringList clocks;  // CPU external, PCI, SDRAM, 3V66
    int depth_selection;
};

const StartUpRow kStartUp[] = {
    {"ba_divider_3",
     kIdIch82801BA,
     3,
     3,
     {},
     {},
     "",
     "82801BA",
     "VXC 812-07 ",
     {" 133.0", "  33.3", " 133.0", "  66.5"},
     0},
    {"aa_divider_4_depth_10",
     kIdIch82801AA,
     4,
     3,
     10,
     {},
     "",
     "82801AA",
     "VXC 812-07 ",
     {"  99.8", "  33.3", " 133.0", "  66.5"},
     10},
    // A depth past the list's last item leaves the list without a selection.
    {"ab_divider_6_depth_11",
     kIdIch82801AB,
     6,
     4,
     11,
     {},
     "",
     "82801AB",
     "VXC 812-07 ",
     {"  66.5", "  33.3", "  99.8", "  66.5"},
     -1},
    {"no_hub",
     sim::kNoDevice,
     3,
     3,
     {},
     {},
     "Cannot Get SM Base Address!",
     "",
     "",
     {"", "", "", ""},
     -1},
    {"chip_silent",
     kIdIch82801BA,
     3,
     3,
     {},
     {Fault::on(TransferKind::BlockRead, FaultAction::DeviceError)},
     "Cannot Find VXC812-07 Clock Generator!",
     "82801BA",
     "",
     {"", "", "", ""},
     -1},
};

struct SliderRow {
    const char* label;
    unsigned cpu_divider;
    int drag_to;  // a value to drag the thumb to, or kFarLeft / kFarRight past the ends
    Qt::Key key;  // or a key to press, Qt::Key_unknown for none
    const char* text;
};

constexpr int kFarLeft = -1000;
constexpr int kFarRight = 1000;

const SliderRow kSlider[] = {
    {"drag_to_250", 3, 250, Qt::Key_unknown, "250 "},
    {"drag_past_left_end", 4, kFarLeft, Qt::Key_unknown, " 75 "},
    {"drag_past_right_end", 4, kFarRight, Qt::Key_unknown, "180 "},
    {"drag_to_99", 6, 99, Qt::Key_unknown, " 99 "},
    // From 133 by 1, or by a page: a fifth of the 150 MHz range.
    {"key_right", 3, 0, Qt::Key_Right, "134 "},
    {"key_up_goes_down", 3, 0, Qt::Key_Up, "132 "},
    {"key_page_down", 3, 0, Qt::Key_PageDown, "163 "},
    {"key_home", 3, 0, Qt::Key_Home, "100 "},
};

struct TypedRow {
    const char* label;
    unsigned cpu_divider;
    const char* typed;
    std::uint8_t pll_n;  // what the chip runs afterwards
    int slider;
    const char* cpu_ext_field;
};

const TypedRow kTyped[] = {
    {"divider_3_150", 3, "150", 149, 150, " 150.0"},
    // N 176 gives 177 x 3 / 4 = 132.75 MHz, nearer to 133 than N 177's 133.5.
    {"divider_4_133_leaves_slider_at_132", 4, "133", 176, 132, " 132.8"},
    {"divider_6_minimum", 6, "50", 99, 50, "  50.0"},
};

struct InvalidRow {
    const char* label;
    unsigned cpu_divider;
    const char* typed;
};

const InvalidRow kInvalid[] = {
    {"zero", 3, "0"},
    {"below_minimum", 3, "99"},
    {"above_divider_4_maximum", 4, "181"},
    // Digits running on past the three characters read are refused, not cut to "120".
    {"four_digits", 3, "1205"},
};

struct SpreadRow {
    const char* label;
    bool spread_on;
    int clicks;
    bool space;  // Space on the focused box instead of the mouse
    bool checked;
};

const SpreadRow kSpread[] = {
    {"off_at_start", false, 0, false, false},   {"off_then_clicked", false, 1, false, true},
    {"on_then_clicked", true, 1, false, false}, {"off_clicked_twice", false, 2, false, false},
    {"off_then_space", false, 1, true, true},
};

struct FaultRow {
    const char* label;
    std::vector<Fault> faults;
    QStringList boxes;
};

const FaultRow kFault[] = {
    {"enhanced_mode_not_entered",
     {Fault::on(TransferKind::BlockRead, FaultAction::Timeout)},
     {"Enable Enhanced-Mode Failed!"}},
    {"reg21_read",
     {Fault::on_register(TransferKind::WordRead, 0x21, FaultAction::DeviceError)},
     {"Cannot Change Clock Settings!"}},
    {"commit_then_leave",
     {Fault::on_register(TransferKind::WordWrite, 0x11, FaultAction::Timeout),
      Fault::on_register(TransferKind::WordWrite, 0x10, FaultAction::DeviceError)},
     {"Cannot Change Some Clock Settings!", "Disable Enhanced Mode Failed!"}},
};

struct BusyRow {
    const char* label;
    int button;  // pressed after start-up; 0: start-up only
};

const BusyRow kBusy[] = {{"detection", 0}, {"apply", IDC_RUN_SETTINGS}};

}  // namespace

void MainWindowTest::start_up_data() {
    add_rows(kStartUp);
}

void MainWindowTest::start_up() {
    const StartUpRow& row = fetch_row(kStartUp);
    sim::BoardOptions options = board(row.cpu_divider, row.sdram_divider);
    options.hub_id = row.hub;
    options.faults = row.faults;
    options.spread_depth = row.depth;
    WindowHarness h(options);
    ModalUser user;
    h.open();

    const bool ready = QString(row.box).isEmpty();
    QCOMPARE(user.box_texts(), ready ? QStringList() : QStringList{row.box});
    for (const SeenBox& box : user.boxes()) {
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(text_of(h, IDC_SM_TYPE), QString(row.sm_type));
    QCOMPARE(text_of(h, IDC_GENERATOR), QString(row.generator));
    const int fields[] = {IDC_CPU_EXT_FREQ, IDC_PCI_FREQ, IDC_SDRAM_FREQ, IDC_3V66_FREQ};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(text_of(h, fields[i]), row.clocks[i]);
    }
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->currentIndex(), row.depth_selection);
    // The program set the slider; that sends nothing back to the edit box.
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString());
    if (ready) {
        // The board's core clock, measured to the whole MHz.
        const double shown = text_of(h, IDC_CPU_SPEED).toDouble();
        QVERIFY2(std::abs(shown - h.sim().cpu().core_mhz()) < 1.5,
                 qPrintable(QString::number(shown)));
        QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(),
                 static_cast<int>(h.sim().chip().running_cpu_ext_mhz()));
    }
    QCOMPARE(h.control<QPushButton>(IDC_RUN_SETTINGS)->isEnabled(), ready);
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->isEnabled(), ready);
    QVERIFY(h.control<QCheckBox>(IDC_SPREAD_ENABLE)->isEnabled());
    QVERIFY(h.window.widgets()->widget(IDC_CPU_SPEED)->isEnabled());
    // The dialog manager's first focus: the first tab stop still enabled.
    QVERIFY(h.window.focusWidget() ==
            h.window.widgets()->widget(ready ? IDC_RUN_SETTINGS : IDC_SPREAD_ENABLE));
}

void MainWindowTest::slider_writes_edit_box_data() {
    add_rows(kSlider);
}

void MainWindowTest::slider_writes_edit_box() {
    const SliderRow& row = fetch_row(kSlider);
    WindowHarness h(board(row.cpu_divider));
    h.open();
    QSlider* slider = h.control<QSlider>(IDC_FREQ_SLIDER);
    const std::size_t transfers = h.sim().smbus().transfers().size();

    if (row.key != Qt::Key_unknown) {
        slider->setFocus();
        QTest::keyClick(slider, row.key);
    } else if (row.drag_to == kFarLeft || row.drag_to == kFarRight) {
        drag_slider(*slider,
                    QPoint(row.drag_to == kFarLeft ? -slider->width() : 2 * slider->width(),
                           slider->height() / 2));
    } else {
        drag_slider(*slider, slider_point(*slider, row.drag_to));
    }

    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString(row.text));
    QCOMPARE(slider->value(), QString(row.text).trimmed().toInt());
    // Moving the slider is a choice, not an apply.
    QCOMPARE(h.sim().smbus().transfers().size(), transfers);
}

void MainWindowTest::typed_clock_applies_data() {
    add_rows(kTyped);
}

void MainWindowTest::typed_clock_applies() {
    const TypedRow& row = fetch_row(kTyped);
    WindowHarness h(board(row.cpu_divider));
    ModalUser user;
    h.open();

    // Enter in the edit box presses the default button, "Run Settings".
    type_clock(h, row.typed, Qt::Key_Return);

    QCOMPARE(user.box_texts(), QStringList());
    QCOMPARE(h.sim().chip().running_n(), row.pll_n);
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), row.slider);
    QCOMPARE(text_of(h, IDC_CPU_EXT_FREQ), QString(row.cpu_ext_field));
    // Moving the slider does not rewrite what the user typed.
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString(row.typed));
}

void MainWindowTest::invalid_frequency_data() {
    add_rows(kInvalid);
}

void MainWindowTest::invalid_frequency() {
    const InvalidRow& row = fetch_row(kInvalid);
    WindowHarness h(board(row.cpu_divider));
    ModalUser user;
    h.open();
    const int slider = h.control<QSlider>(IDC_FREQ_SLIDER)->value();
    const std::size_t transfers = h.sim().smbus().transfers().size();

    type_clock(h, row.typed, Qt::Key_Enter);

    QCOMPARE(user.box_texts(), QStringList{QStringLiteral("Invalid Frequency")});
    QCOMPARE(user.boxes().front().icon, QMessageBox::NoIcon);
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString());
    QCOMPARE(h.sim().smbus().transfers().size(), transfers);
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), slider);
}

void MainWindowTest::spread_box_data() {
    add_rows(kSpread);
}

void MainWindowTest::spread_box() {
    const SpreadRow& row = fetch_row(kSpread);
    sim::BoardOptions options = instant_board();
    options.spread_on = row.spread_on;
    WindowHarness h(options);
    h.open();
    QCheckBox* box = h.control<QCheckBox>(IDC_SPREAD_ENABLE);
    const std::size_t transfers = h.sim().smbus().transfers().size();

    for (int i = 0; i < row.clicks; ++i) {
        if (row.space) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        } else {
            click_check_box(*box);
        }
    }

    QCOMPARE(box->isChecked(), row.checked);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->isEnabled(), row.checked);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_MODEL)->isEnabled(), row.checked);
    QCOMPARE(h.sim().smbus().transfers().size(), transfers);
}

void MainWindowTest::fault_message_data() {
    add_rows(kFault);
}

void MainWindowTest::fault_message() {
    const FaultRow& row = fetch_row(kFault);
    WindowHarness h;
    ModalUser user;
    h.open();
    for (const Fault& fault : row.faults) {
        h.sim().smbus().inject(fault);
    }

    QTest::mouseClick(h.control<QPushButton>(IDC_RUN_SETTINGS), Qt::LeftButton);

    QCOMPARE(user.box_texts(), row.boxes);
    for (const SeenBox& box : user.boxes()) {
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY2(box.arrow_cursor, "a busy cursor over the message box");
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void MainWindowTest::busy_cursor_data() {
    add_rows(kBusy);
}

void MainWindowTest::busy_cursor() {
    const BusyRow& row = fetch_row(kBusy);
    WindowHarness h;
    h.open();
    if (row.button != 0) {
        h.cpu->clear();
        QTest::mouseClick(h.control<QPushButton>(row.button), Qt::LeftButton);
    }

    // The speed is measured inside the detection and inside every apply.
    QCOMPARE(h.cpu->seen(), std::vector<Qt::CursorShape>{Qt::WaitCursor});
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

// A request to stop: acted on when the detection or the apply in progress has ended, never in
// the middle of it, and the window then closes (or never opens).
struct StopRow {
    const char* label;
    std::size_t at_transfer;  // 0: there before the window is run
    bool run_settings;        // the user presses "Run Settings" once the window is up
    std::size_t transfers;    // made in all
    bool opened;              // the window was up for the user
};

// Detection makes 13 transfers, an apply 15.
const StopRow kStop[] = {
    {"before_the_window", 0, false, 0, false},
    {"in_detection", 5, false, 13, false},
    {"in_the_apply", 13 + 3, true, 13 + 15, true},
};

void MainWindowTest::stopped_data() {
    add_rows(kStop);
}

void MainWindowTest::stopped() {
    const StopRow& row = fetch_row(kStop);
    WindowHarness h;
    sim::SimStopSignals stops;
    if (row.at_transfer == 0) {
        stops.arrive({SIGTERM, "SIGTERM"});
    } else {
        stops.arrive_at_transfer(h.sim(), row.at_transfer, {SIGTERM, "SIGTERM"});
    }
    MainDialog dialog(h.env());
    qt::ModalFramework framework(h.window, &stops);
    const qt::StopWatch watch(stops);
    ModalUser user;
    bool opened = false;
    unsigned looks_after_run = 0;
    bool closed_by_test = false;
    user.on<qt::MainWindow>([&](qt::MainWindow& window) {
        if (!opened && row.run_settings) {
            h.control<QPushButton>(IDC_RUN_SETTINGS)->click();
        }
        opened = true;
        // The watch closes the window within its 100 ms; this only keeps a failing test from
        // waiting for ever.
        if (++looks_after_run > 400) {
            closed_by_test = true;
            window.close();
        }
    });
    framework.run_modal(dialog);

    QCOMPARE(opened, row.opened);
    QVERIFY(!closed_by_test);
    QVERIFY(!h.window.isVisible());
    QCOMPARE(h.sim().smbus().transfers().size(), row.transfers);
    QVERIFY(!h.sim().chip().enhanced_mode());
}

}  // namespace vantrel::test
