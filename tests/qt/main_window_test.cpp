// The main window with real widgets on the simulated board, driven as a user drives it.
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <optional>
#include <vector>

#include "bus/pci_config.h"
#include "modal_user.h"
#include "qt/icon_library.h"
#include "res/resource_ids.h"
#include "sim/fault_plan.h"
#include "sim/sim_pci.h"
#include "table_rows.h"
#include "test_classes.h"
#include "user_actions.h"
#include "window_harness.h"

namespace vantrel::test {

namespace {

using sim::Fault;
using sim::FaultAction;
using sim::TransferKind;

constexpr int kFrequencyFields[] = {IDC_CPU_SPEED, IDC_CPU_EXT_FREQ, IDC_PCI_FREQ, IDC_SDRAM_FREQ,
                                    IDC_3V66_FREQ};
constexpr int kSettingControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,      IDC_FREQ_EDIT,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,   IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_LOAD_SETTINGS,
    IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};

QString text_of(const WindowHarness& h, int id) {
    if (auto* edit = h.control<QLineEdit>(id)) {
        return edit->text();
    }
    return {};
}

sim::BoardOptions board(std::optional<unsigned> cpu_divider = std::nullopt,
                        std::optional<unsigned> sdram_divider = std::nullopt) {
    sim::BoardOptions options = instant_board();
    // The straps come as a pair; SDRAM /3 unless a row says otherwise.
    if (cpu_divider) {
        options.cpu_divider = cpu_divider;
        options.sdram_divider = sdram_divider.value_or(3);
    }
    return options;
}

// Types into the frequency box as a user does: select what is there, type over it.
void type_clock(WindowHarness& h, const char* digits) {
    QLineEdit* edit = h.control<QLineEdit>(IDC_FREQ_EDIT);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, digits);
}

// ---- Start-up --------------------------------------------------------------------------------

struct StartUpRow {
    const char* label;
    std::optional<std::uint32_t> hub;
    unsigned cpu_divider;
    unsigned sdram_divider;
    std::vector<Fault> faults;
    std::optional<std::uint8_t> spread_depth;
    int depth_selection;  // -1: none
    QStringList boxes;    // the message boxes, in order
    QString sm_type;
    QString generator;
    // CPU external, PCI, SDRAM and 3V66 fields; the CPU speed is checked against the board.
    QStringList clocks;
    bool ready;
};

// The board runs N 132, M 31: a VCO of 133 x 96 / 32 = 399 MHz, PCI 399 / 12 = 33.25 MHz and
// 3V66 399 / 6 = 66.5 MHz.
const StartUpRow kStartUp[] = {
    {"hub_82801BA_divider_3",
     kIdIch82801BA,
     3,
     3,
     {},
     std::nullopt,
     0,
     {},
     "82801BA",
     "VXC 812-07 ",
     {" 133.0", "  33.3", " 133.0", "  66.5"},
     true},
    {"hub_82801AA_divider_4",
     kIdIch82801AA,
     4,
     3,
     {},
     4,
     4,
     {},
     "82801AA",
     "VXC 812-07 ",
     {"  99.8", "  33.3", " 133.0", "  66.5"},
     true},
    {"hub_82801AB_divider_6_sdram_4",
     kIdIch82801AB,
     6,
     4,
     {},
     10,
     10,
     {},
     "82801AB",
     "VXC 812-07 ",
     {"  66.5", "  33.3", "  99.8", "  66.5"},
     true},
    // A depth past the list's last item leaves the list without a selection.
    {"depth_beyond_the_list",
     kIdIch82801BA,
     3,
     3,
     {},
     11,
     -1,
     {},
     "82801BA",
     "VXC 812-07 ",
     {" 133.0", "  33.3", " 133.0", "  66.5"},
     true},
    {"no_hub",
     sim::kNoDevice,
     3,
     3,
     {},
     std::nullopt,
     -1,
     {"Cannot Get SM Base Address!"},
     "",
     "",
     {"", "", "", ""},
     false},
    {"chip_silent",
     kIdIch82801BA,
     3,
     3,
     {Fault::on(TransferKind::BlockRead, FaultAction::DeviceError)},
     std::nullopt,
     -1,
     {"Cannot Find VXC812-07 Clock Generator!"},
     "82801BA",
     "",
     {"", "", "", ""},
     false},
};

// ---- Slider ----------------------------------------------------------------------------------

struct SliderRow {
    const char* label;
    unsigned cpu_divider;
    enum class Act : unsigned char { DragTo, DragFarLeft, DragFarRight, Key } act;
    int drag_value;
    Qt::Key key;
    int position;
    const char* text;
};

const SliderRow kSlider[] = {
    {"drag_divider_3_to_250", 3, SliderRow::Act::DragTo, 250, Qt::Key_unknown, 250, "250 "},
    {"drag_divider_3_past_left_end", 3, SliderRow::Act::DragFarLeft, 0, Qt::Key_unknown, 100,
     "100 "},
    {"drag_divider_4_past_left_end", 4, SliderRow::Act::DragFarLeft, 0, Qt::Key_unknown, 75,
     " 75 "},
    {"drag_divider_4_past_right_end", 4, SliderRow::Act::DragFarRight, 0, Qt::Key_unknown, 180,
     "180 "},
    {"drag_divider_6_to_99", 6, SliderRow::Act::DragTo, 99, Qt::Key_unknown, 99, " 99 "},
    // Keys step as a trackbar's do: from 133, by 1 and by a fifth of the 150 MHz range.
    {"key_right", 3, SliderRow::Act::Key, 0, Qt::Key_Right, 134, "134 "},
    {"key_down", 3, SliderRow::Act::Key, 0, Qt::Key_Down, 134, "134 "},
    {"key_up", 3, SliderRow::Act::Key, 0, Qt::Key_Up, 132, "132 "},
    {"key_page_down", 3, SliderRow::Act::Key, 0, Qt::Key_PageDown, 163, "163 "},
    {"key_page_up", 3, SliderRow::Act::Key, 0, Qt::Key_PageUp, 103, "103 "},
    {"key_end", 3, SliderRow::Act::Key, 0, Qt::Key_End, 250, "250 "},
    {"key_home", 3, SliderRow::Act::Key, 0, Qt::Key_Home, 100, "100 "},
};

// ---- Typed clock -----------------------------------------------------------------------------

struct TypedRow {
    const char* label;
    unsigned cpu_divider;
    const char* typed;
    std::uint8_t pll_n;  // what the chip runs afterwards
    int position;
    const char* cpu_ext_field;
};

const TypedRow kTyped[] = {
    // 150 x 3 / 3 - 1 = 149 gives exactly 150 MHz.
    {"divider_3_150", 3, "150", 149, 150, " 150.0"},
    {"divider_3_range_maximum", 3, "250", 249, 250, " 250.0"},
    // N 176 gives 177 x 3 / 4 = 132.75 MHz, nearer to 133 than N 177's 133.5.
    {"divider_4_133_leaves_slider_at_132", 4, "133", 176, 132, " 132.8"},
    {"divider_6_range_minimum", 6, "50", 99, 50, "  50.0"},
};

// ---- Invalid frequency -----------------------------------------------------------------------

struct InvalidRow {
    const char* label;
    unsigned cpu_divider;
    const char* typed;
};

const InvalidRow kInvalid[] = {
    {"zero", 3, "0"},
    {"below_divider_3_minimum", 3, "99"},
    {"above_divider_3_maximum", 3, "251"},
    {"above_divider_4_maximum", 4, "181"},
    {"three_nines", 6, "999"},
    // Only three characters are read, and digits running on past them are refused rather than
    // cut to a clock nobody asked for.
    {"four_digits", 3, "1205"},
};

// ---- Spread-spectrum box ---------------------------------------------------------------------

struct SpreadRow {
    const char* label;
    bool spread_on;
    std::vector<bool> clicks;  // true: mouse on the indicator, false: Space with the focus on it
    bool checked;
};

const SpreadRow kSpread[] = {
    {"on_at_start", true, {}, true},
    {"off_at_start", false, {}, false},
    {"off_then_clicked", false, {true}, true},
    {"on_then_clicked", true, {true}, false},
    {"off_clicked_twice", false, {true, true}, false},
    {"off_then_space", false, {false}, true},
};

// ---- Faults during an apply ------------------------------------------------------------------

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
    {"reg22_write",
     {Fault::on_register(TransferKind::WordWrite, 0x22, FaultAction::BusError)},
     {"Cannot Change Some Clock Settings!"}},
    {"enhanced_mode_not_left",
     {Fault::on_register(TransferKind::WordWrite, 0x10, FaultAction::DeviceError)},
     {"Disable Enhanced Mode Failed!"}},
    {"commit_then_leave",
     {Fault::on_register(TransferKind::WordWrite, 0x11, FaultAction::Timeout),
      Fault::on_register(TransferKind::WordWrite, 0x10, FaultAction::DeviceError)},
     {"Cannot Change Some Clock Settings!", "Disable Enhanced Mode Failed!"}},
};

// ---- Busy cursor -----------------------------------------------------------------------------

struct BusyRow {
    const char* label;
    int button;  // the button the user presses after start-up; 0: start-up only
};

const BusyRow kBusy[] = {
    {"detection", 0},
    {"apply", IDC_RUN_SETTINGS},
};

// ---- Keys ------------------------------------------------------------------------------------

struct KeyRow {
    const char* label;
    int focus;  // the control with the focus
    Qt::Key key;
    bool closes;
    bool applies;
};

const KeyRow kKeys[] = {
    {"escape_on_run_settings", IDC_RUN_SETTINGS, Qt::Key_Escape, true, false},
    {"escape_on_a_list", IDC_DELAY_PCI, Qt::Key_Escape, true, false},
    {"enter_on_a_list_runs_settings", IDC_DELAY_CPU, Qt::Key_Return, false, true},
    {"enter_on_the_slider_runs_settings", IDC_FREQ_SLIDER, Qt::Key_Enter, false, true},
    {"enter_on_the_spread_box_runs_settings", IDC_SPREAD_ENABLE, Qt::Key_Return, false, true},
};

// ---- Minimised paint -------------------------------------------------------------------------

struct PaintRow {
    const char* label;
    bool minimised;
};

const PaintRow kPaint[] = {
    {"minimised_draws_the_icon_centred", true},
    {"normal_leaves_painting_to_the_window", false},
};

}  // namespace

void MainWindowTest::start_up_data() {
    add_rows(kStartUp);
}

void MainWindowTest::start_up() {
    const StartUpRow& row = fetch_row(kStartUp);
    sim::BoardOptions options = board(row.cpu_divider, row.sdram_divider);
    options.hub_id = row.hub;
    options.faults = row.faults;
    options.spread_depth = row.spread_depth;
    WindowHarness h(options);
    ModalUser user;
    h.open();

    QCOMPARE(user.box_texts(), row.boxes);
    for (const SeenBox& box : user.boxes()) {
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(text_of(h, IDC_SM_TYPE), row.sm_type);
    QCOMPARE(text_of(h, IDC_GENERATOR), row.generator);
    QCOMPARE(text_of(h, IDC_CPU_EXT_FREQ), row.clocks[0]);
    QCOMPARE(text_of(h, IDC_PCI_FREQ), row.clocks[1]);
    QCOMPARE(text_of(h, IDC_SDRAM_FREQ), row.clocks[2]);
    QCOMPARE(text_of(h, IDC_3V66_FREQ), row.clocks[3]);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->currentIndex(), row.depth_selection);
    // The program set the slider; that sends nothing back to the edit box.
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString());

    if (row.ready) {
        // The measured CPU speed: the board's multiplier times the clock it runs, in whole MHz.
        const double expected = h.sim().cpu().core_mhz();
        const double shown = text_of(h, IDC_CPU_SPEED).toDouble();
        QVERIFY2(shown > expected - 1.5 && shown < expected + 1.5,
                 qPrintable(text_of(h, IDC_CPU_SPEED)));
        QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(),
                 static_cast<int>(h.sim().chip().running_cpu_ext_mhz()));
    } else {
        QCOMPARE(text_of(h, IDC_CPU_SPEED), QString());
    }
    // Ready, everything is enabled but the depth and model lists, which follow the box.
    const bool spread = h.control<QCheckBox>(IDC_SPREAD_ENABLE)->isChecked();
    for (const int id : kSettingControls) {
        const bool follows_box = id == IDC_SPREAD_DEPTH || id == IDC_SPREAD_MODEL;
        QCOMPARE(h.window.widgets()->widget(id)->isEnabled(),
                 row.ready && (spread || !follows_box));
    }
    for (const int id : kFrequencyFields) {
        QVERIFY(h.window.widgets()->widget(id)->isEnabled());
    }
    QVERIFY(h.control<QCheckBox>(IDC_SPREAD_ENABLE)->isEnabled());
    // The dialog manager's first focus: "Run Settings", or the first tab stop still enabled.
    QVERIFY(h.window.focusWidget() ==
            h.window.widgets()->widget(row.ready ? IDC_RUN_SETTINGS : IDC_SPREAD_ENABLE));
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

    switch (row.act) {
        case SliderRow::Act::DragTo:
            drag_slider(*slider, slider_point(*slider, row.drag_value));
            break;
        case SliderRow::Act::DragFarLeft:
            drag_slider(*slider, QPoint(-slider->width(), slider->height() / 2));
            break;
        case SliderRow::Act::DragFarRight:
            drag_slider(*slider, QPoint(2 * slider->width(), slider->height() / 2));
            break;
        case SliderRow::Act::Key:
            slider->setFocus();
            QTest::keyClick(slider, row.key);
            break;
    }

    QCOMPARE(slider->value(), row.position);
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString::fromLatin1(row.text));
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

    type_clock(h, row.typed);
    QTest::keyClick(h.control<QLineEdit>(IDC_FREQ_EDIT), Qt::Key_Return);

    QCOMPARE(user.box_texts(), QStringList());
    QCOMPARE(h.sim().chip().running_n(), row.pll_n);
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), row.position);
    QCOMPARE(text_of(h, IDC_CPU_EXT_FREQ), QString::fromLatin1(row.cpu_ext_field));
    // Setting the slider does not rewrite what the user typed.
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString::fromLatin1(row.typed));
}

void MainWindowTest::invalid_frequency_data() {
    add_rows(kInvalid);
}

void MainWindowTest::invalid_frequency() {
    const InvalidRow& row = fetch_row(kInvalid);
    WindowHarness h(board(row.cpu_divider));
    ModalUser user;
    h.open();
    const int position = h.control<QSlider>(IDC_FREQ_SLIDER)->value();
    const std::size_t transfers = h.sim().smbus().transfers().size();

    type_clock(h, row.typed);
    QTest::mouseClick(h.control<QPushButton>(IDC_RUN_SETTINGS), Qt::LeftButton);

    QCOMPARE(user.box_texts(), QStringList{QStringLiteral("Invalid Frequency")});
    QCOMPARE(user.boxes().front().caption, QStringLiteral("Error"));
    QCOMPARE(user.boxes().front().icon, QMessageBox::NoIcon);
    QCOMPARE(text_of(h, IDC_FREQ_EDIT), QString());
    QCOMPARE(h.sim().smbus().transfers().size(), transfers);
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), position);
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

    for (const bool mouse : row.clicks) {
        if (mouse) {
            click_check_box(*box);
        } else {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        }
    }

    QCOMPARE(box->isChecked(), row.checked);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->isEnabled(), row.checked);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_MODEL)->isEnabled(), row.checked);
    // The box decides the lists, not the chip: nothing goes on the bus.
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
    // Answered, the boxes are gone and the dialog takes input again.
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(h.control<QPushButton>(IDC_RUN_SETTINGS)->isEnabled());
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
        h.cpu.clear();
        QTest::mouseClick(h.control<QPushButton>(row.button), Qt::LeftButton);
    }

    QCOMPARE(h.cpu.seen(), std::vector<Qt::CursorShape>{Qt::WaitCursor});
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void MainWindowTest::keys_data() {
    add_rows(kKeys);
}

void MainWindowTest::keys() {
    const KeyRow& row = fetch_row(kKeys);
    WindowHarness h;
    ModalUser user;
    h.open();
    const unsigned latches = h.sim().chip().latch_count();
    QWidget* focus = h.window.widgets()->widget(row.focus);
    focus->setFocus();
    QVERIFY(h.window.focusWidget() == focus);

    QTest::keyClick(focus, row.key);

    QCOMPARE(h.window.isVisible(), !row.closes);
    QCOMPARE(h.sim().chip().latch_count() > latches, row.applies);
    QCOMPARE(user.box_texts(), QStringList());
}

void MainWindowTest::minimised_paint_data() {
    add_rows(kPaint);
}

void MainWindowTest::minimised_paint() {
    const PaintRow& row = fetch_row(kPaint);
    WindowHarness h;
    h.open();
    if (row.minimised) {
        h.window.showMinimized();
    }
    QCOMPARE(h.window.isMinimized(), row.minimised);

    QImage shown(h.window.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    h.window.render(&shown, QPoint(), QRegion(), QWidget::DrawWindowBackground);

    // The icon over the window's background, where the minimised window centres it.
    const int size = h.window.style()->pixelMetric(QStyle::PM_LargeIconSize);
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(h.window.palette().color(h.window.backgroundRole()));
    {
        QPainter painter(&icon);
        h.icons.icon(h.icons.handle(IDR_MAINFRAME)).paint(&painter, QRect(0, 0, size, size));
    }
    const QPoint at((h.window.width() - size + 1) / 2, (h.window.height() - size + 1) / 2);
    const bool drawn = shown.copy(QRect(at, QSize(size, size))) == icon;
    QCOMPARE(drawn, row.minimised);
}

}  // namespace vantrel::test
