// SPDX-License-Identifier: GPL-2.0-or-later
// "Save Settings" and "Load Settings" with real widgets, through a settings file in a fresh
// directory.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "modal_user.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "res/resource_ids.h"
#include "table_rows.h"
#include "test_classes.h"
#include "window_harness.h"

namespace vantrel::test {

namespace {

// Where the settings file goes.
enum class Place : unsigned char {
    Fresh,    // a directory that does not exist yet
    Blocked,  // below a regular file: no directory can be made there
};

struct SettingsRow {
    const char* label;
    Place place;
    // The file as it is before loading, "%1" standing for the live REG1F byte in hex; nullptr
    // for none.
    const char* file;
    bool save_first;
    const char* typed_between;  // a clock applied after saving and before loading, or nullptr
    QStringList boxes;
    // After the load.
    const char* edit_text;
    int slider;
    bool spread;
    int delays[4];  // CPU, PCI, SDRAM, 3V66
    int depth;
    int model;
    const char* saved_line;  // a line the file holds afterwards, or nullptr
};

constexpr char kHeader[] = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n";

const SettingsRow kSettings[] = {
    // The board runs N 132, M 31 (133 MHz); a saved set comes back after 150 MHz was applied.
    {"save_then_load",
     Place::Fresh,
     nullptr,
     true,
     "150",
     {},
     "133 ",
     133,
     false,
     {0, 0, 0, 0},
     0,
     0,
     "\"REG11\"=dword:00000084"},
    // N 149 (150 MHz), REG12 145 (depth 4), spread on, delays 1/2/3 in REG21 and 2 in REG22
    // with model 5.
    {"hand_made_file",
     Place::Fresh,
     "\"REG00\"=dword:00000002\r\n\"REG11\"=dword:00000095\r\n\"REG12\"=dword:00000091\r\n"
     "\"REG13\"=dword:0000001f\r\n\"REG1F\"=dword:000000%1\r\n\"REG21\"=dword:0000001b\r\n"
     "\"REG22\"=dword:00000085\r\n",
     false,
     nullptr,
     {},
     "150 ",
     150,
     true,
     {1, 2, 3, 2},
     4,
     5,
     nullptr},
    {"nothing_saved",
     Place::Fresh,
     nullptr,
     false,
     nullptr,
     {"Settings Data Crushed!"},
     "",
     133,
     false,
     {0, 0, 0, 0},
     0,
     0,
     nullptr},
    // Divider straps that differ from this board's (bit 6) belong to another board.
    {"another_boards_straps",
     Place::Fresh,
     "\"REG00\"=dword:00000000\r\n\"REG11\"=dword:00000084\r\n\"REG12\"=dword:00000084\r\n"
     "\"REG13\"=dword:0000001f\r\n\"REG1F\"=dword:00000040\r\n\"REG21\"=dword:00000000\r\n"
     "\"REG22\"=dword:00000000\r\n",
     false,
     nullptr,
     {"Cannot Apply These Settings!"},
     "",
     133,
     false,
     {0, 0, 0, 0},
     0,
     0,
     nullptr},
    // Neither a save nor a load goes unnoticed when there is nowhere to keep the settings.
    {"no_settings_file_possible",
     Place::Blocked,
     nullptr,
     true,
     nullptr,
     {"Cannot Save Settings!", "Cannot Load Settings!"},
     "",
     133,
     false,
     {0, 0, 0, 0},
     0,
     0,
     nullptr},
};

}  // namespace

void SettingsTest::save_then_load_data() {
    add_rows(kSettings);
}

void SettingsTest::save_then_load() {
    const SettingsRow& row = fetch_row(kSettings);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("config/vantrel/settings.reg"));
    if (row.place == Place::Blocked) {
        QFile blocker(dir.filePath(QStringLiteral("config")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
    }
    platform::RegFileRegistry registry(path.toStdString());
    // As start-up opens it, before anything else.
    RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
    QCOMPARE(key == nullptr, row.place == Place::Blocked);
    WindowHarness h(instant_board(), key);
    ModalUser user;
    h.open();
    if (row.file != nullptr) {
        // Opening the registry makes no directory; only its first write would.
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString reg1f =
            QStringLiteral("%1").arg(h.sim().chip().reg(0x1F), 2, 16, QLatin1Char('0'));
        file.write(
            (QString::fromLatin1(kHeader) + QString::fromLatin1(row.file).arg(reg1f)).toLatin1());
    }

    if (row.save_first) {
        QTest::mouseClick(h.control<QPushButton>(IDC_SAVE_SETTINGS), Qt::LeftButton);
    }
    if (row.typed_between != nullptr) {
        QLineEdit* edit = h.control<QLineEdit>(IDC_FREQ_EDIT);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClicks(edit, row.typed_between);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), QString(row.typed_between).toInt());
        h.control<QLineEdit>(IDC_FREQ_EDIT)->clear();
    }
    QTest::mouseClick(h.control<QPushButton>(IDC_LOAD_SETTINGS), Qt::LeftButton);

    QCOMPARE(user.box_texts().join(" | "), row.boxes.join(" | "));
    QCOMPARE(h.control<QLineEdit>(IDC_FREQ_EDIT)->text(), QString::fromLatin1(row.edit_text));
    QCOMPARE(h.control<QSlider>(IDC_FREQ_SLIDER)->value(), row.slider);
    QCOMPARE(static_cast<int>(h.sim().chip().running_cpu_ext_mhz()), row.slider);
    QCOMPARE(h.control<QCheckBox>(IDC_SPREAD_ENABLE)->isChecked(), row.spread);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->isEnabled(), row.spread);
    const int delay_ids[] = {IDC_DELAY_CPU, IDC_DELAY_PCI, IDC_DELAY_SDRAM, IDC_DELAY_3V66};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(h.control<QComboBox>(delay_ids[i])->currentIndex(), row.delays[i]);
    }
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_DEPTH)->currentIndex(), row.depth);
    QCOMPARE(h.control<QComboBox>(IDC_SPREAD_MODEL)->currentIndex(), row.model);

    QFile saved(path);
    if (row.place == Place::Blocked) {
        QVERIFY(!saved.exists());
    }
    if (row.saved_line != nullptr) {
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY2(saved.readAll().contains(row.saved_line), row.saved_line);
    }
}

}  // namespace vantrel::test
