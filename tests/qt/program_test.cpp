// SPDX-License-Identifier: GPL-2.0-or-later
// The program as a user starts it: its exit status, what it says, and the pictures it makes.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "res/dialog_templates.h"
#include "table_rows.h"
#include "template_metrics.h"
#include "test_classes.h"
#include "ui/dialog_units.h"

namespace vantrel::test {

namespace {

// How long a run on the instant board may take before it counts as hung.
constexpr int kRunTimeoutMs = 60000;

struct RunRow {
    const char* label;
    // Arguments; "@" stands for the test's directory.
    QStringList args;
    const char* settings_before;  // the settings file's content before the run, or nullptr
    int status;
    const char* out;  // a part of standard output, or ""
    const char* err;  // a part of standard error, or ""
    bool main_picture;
    bool caution_picture;
    const char* settings_after;  // a part of the settings file afterwards, or nullptr
};

constexpr char kCautionOff[] =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n\"Caution\"=dword:00000000\r\n";

const RunRow kRun[] = {
    {"version",
     {"--version"},
     nullptr,
     0,
     "vantrel 2.01\nLicence: GNU General Public License, version 2 or later (GPL-2.0-or-later)\n",
     "",
     false,
     false,
     nullptr},
    {"help", {"--help"}, nullptr, 0, "pauses=real|instant", "", false, false, nullptr},
    {"unknown_option", {"--frobnicate"}, nullptr, 2, "", "'--frobnicate'", false, false, nullptr},
    {"settings_needs_a_file",
     {"--simulate", "--settings"},
     nullptr,
     2,
     "",
     "--settings needs a file name",
     false,
     false,
     nullptr},
    {"bad_board_option",
     {"--simulate=dividers=5/3"},
     nullptr,
     2,
     "",
     "--simulate=dividers=5/3",
     false,
     false,
     nullptr},
    {"missing_dump",
     {"--simulate=dump=@/none.txt"},
     nullptr,
     2,
     "",
     "none.txt",
     false,
     false,
     nullptr},
    // First run: the notice is due, so both windows are drawn and the notice stays due.
    {"first_run_pictures",
     {"--simulate=pauses=instant", "--settings", "@/s.reg", "--screenshot", "@/shot.png"},
     nullptr,
     0,
     "shot-caution.png",
     "",
     true,
     true,
     "\"Caution\"=dword:00000001"},
    {"notice_turned_off_joined_forms",
     {"--simulate=pauses=instant", "--settings=@/s.reg", "--screenshot=@/shot.png"},
     kCautionOff,
     0,
     "shot.png",
     "",
     true,
     false,
     "\"Caution\"=dword:00000000"},
    // Message boxes nobody can answer are written out.
    {"no_hub_says_so",
     {"--simulate=hub=none,pauses=instant", "--settings", "@/s.reg", "--screenshot", "@/shot.png"},
     kCautionOff,
     0,
     "",
     "Error: Cannot Get SM Base Address!",
     true,
     false,
     nullptr},
    // Nothing is drawn into a file whose name says another kind of picture.
    {"screenshot_only_png",
     {"--simulate=pauses=instant", "--settings", "@/s.reg", "--screenshot", "@/shot.jpg"},
     nullptr,
     2,
     "",
     "ending in .png, not '",
     false,
     false,
     nullptr},
    {"bus_needs_kernel_or_ports",
     {"--simulate", "--bus", "both"},
     nullptr,
     2,
     "",
     "--bus takes kernel or ports, not 'both'",
     false,
     false,
     nullptr},
    {"picture_cannot_be_written",
     {"--simulate=pauses=instant", "--settings", "@/s.reg", "--screenshot", "@/no/dir/shot.png"},
     kCautionOff,
     1,
     "",
     "cannot write",
     false,
     false,
     nullptr},
};

// A board over both ways to its bus: the kernel's i2c-dev node must show what the ports show.
struct BusRow {
    const char* label;
    const char* board;        // the --simulate options
    const char* kernel_says;  // a part of standard error over the kernel path
};

const BusRow kBus[] = {
    {"default_board", "pauses=instant", "vantrel: bus: kernel i2c-dev /dev/i2c-0\n"},
    {"other_dividers", "pauses=instant,dividers=4/3,multiplier=5",
     "vantrel: bus: kernel i2c-dev /dev/i2c-0\n"},
    {"first_transfer_times_out", "pauses=instant,fault=timeout:transfer=1",
     "vantrel: bus: kernel i2c-dev /dev/i2c-0\n"},
    // No hub for the kernel to hold: refused, then the dialog without a controller.
    {"no_hub_refused", "pauses=instant,hub=none",
     "Error: The kernel sees no supported SMBus controller"},
};

struct Run {
    int status = -1;
    QString err;
};

Run run_program(const QStringList& args, const QTemporaryDir& dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VANTREL_PROGRAM), args);
    Run run;
    if (program.waitForFinished(kRunTimeoutMs) && program.exitStatus() == QProcess::NormalExit) {
        run.status = program.exitCode();
    }
    run.err = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

QSize client_size(const res::DialogTemplate& dialog) {
    const PixelRect client = dialog_client_pixels(dialog, expected_units(dialog));
    return {client.width, client.height};
}

}  // namespace

void ProgramTest::run_data() {
    add_rows(kRun);
}

void ProgramTest::run() {
    const RunRow& row = fetch_row(kRun);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (row.settings_before != nullptr) {
        QFile settings(dir.filePath(QStringLiteral("s.reg")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(row.settings_before);
    }
    QStringList args;
    for (const QString& arg : row.args) {
        args << QString(arg).replace(QLatin1Char('@'), dir.path());
    }
    // No display and no platform chosen: a picture must still be made.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VANTREL_PROGRAM), args);
    QVERIFY(program.waitForFinished(kRunTimeoutMs));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == row.status, qPrintable(err));
    QVERIFY2(out.contains(QString::fromLatin1(row.out)), qPrintable(out));
    QVERIFY2(err.contains(QString::fromLatin1(row.err)), qPrintable(err));

    const QImage main_picture(dir.filePath(QStringLiteral("shot.png")));
    QCOMPARE(!main_picture.isNull(), row.main_picture);
    if (row.main_picture) {
        QCOMPARE(main_picture.size(), client_size(res::kMainDialog));
    }
    const QImage caution_picture(dir.filePath(QStringLiteral("shot-caution.png")));
    QCOMPARE(!caution_picture.isNull(), row.caution_picture);
    if (row.caution_picture) {
        QCOMPARE(caution_picture.size(), client_size(res::kCautionDialog));
    }
    if (row.settings_after != nullptr) {
        QFile settings(dir.filePath(QStringLiteral("s.reg")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains(row.settings_after));
    }
}

// A simulated board's "Caution" goes to its own settings file, never to this machine's.
void ProgramTest::simulated_settings_apart() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir().mkpath(dir.filePath(QStringLiteral("config/vantrel")));
    QFile real(dir.filePath(QStringLiteral("config/vantrel/settings.reg")));
    QVERIFY(real.open(QIODevice::WriteOnly));
    real.write(kCautionOff);
    real.close();
    const Run run =
        run_program({QStringLiteral("--simulate=pauses=instant"), QStringLiteral("--screenshot"),
                     dir.filePath(QStringLiteral("shot.png"))},
                    dir);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    // The real file's "Caution" of 0 is not read: the notice is due on the simulated board.
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("shot-caution.png"))));
    QFile simulated(dir.filePath(QStringLiteral("config/vantrel/simulated/settings.reg")));
    QVERIFY(simulated.open(QIODevice::ReadOnly));
    QVERIFY(simulated.readAll().contains("\"Caution\"=dword:00000001"));
    QVERIFY(real.open(QIODevice::ReadOnly));
    QCOMPARE(real.readAll(), QByteArray(kCautionOff));
}

void ProgramTest::bus_path_data() {
    add_rows(kBus);
}

void ProgramTest::bus_path() {
    const BusRow& row = fetch_row(kBus);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile settings(dir.filePath(QStringLiteral("s.reg")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(kCautionOff);
    settings.close();

    QImage pictures[2];
    QString said[2];
    const char* buses[] = {"ports", "kernel"};
    for (int i = 0; i < 2; ++i) {
        const QString shot = dir.filePath(QStringLiteral("shot-%1.png").arg(i));
        const Run run = run_program(
            {QStringLiteral("--simulate=") + QLatin1String(row.board), QStringLiteral("--bus"),
             QLatin1String(buses[i]), QStringLiteral("--settings"),
             dir.filePath(QStringLiteral("s.reg")), QStringLiteral("--screenshot"), shot},
            dir);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        pictures[i] = QImage(shot);
        QVERIFY(!pictures[i].isNull());
        said[i] = run.err;
    }
    QVERIFY2(said[1].contains(QLatin1String(row.kernel_says)), qPrintable(said[1]));
    // Everything the ports run said but its path, the kernel run said too.
    for (const QString& line : said[0].split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1String("vantrel: bus: "))) {
            QVERIFY2(said[1].contains(line), qPrintable(line + QLatin1String(" | ") + said[1]));
        }
    }
    QVERIFY(pictures[0] == pictures[1]);
}

}  // namespace vantrel::test
