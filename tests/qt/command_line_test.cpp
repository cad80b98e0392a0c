// What the command line asks for, and what a bad one is told.
#include <QTest>
#include <string>
#include <vector>

#include "qt/command_line.h"
#include "table_rows.h"
#include "test_classes.h"

namespace vantrel::test {

namespace {

using Action = qt::CommandLine::Action;

struct ParseRow {
    const char* label;
    std::vector<std::string> args;
    bool ok;
    Action action;
    bool simulate;
    bool real_pauses;
    const char* settings;
    const char* screenshot;
    bool measure;
    const char* error;  // a part of the error, naming the argument
};

const ParseRow kParse[] = {
    {"nothing_runs_this_machine", {}, true, Action::Run, false, true, "", "", false, ""},
    {"simulate_alone_has_real_pauses",
     {"--simulate"},
     true,
     Action::Run,
     true,
     true,
     "",
     "",
     false,
     ""},
    {"simulate_with_options",
     {"--simulate=hub=ab,dividers=4/3,pauses=instant"},
     true,
     Action::Run,
     true,
     false,
     "",
     "",
     false,
     ""},
    {"settings_as_next_argument",
     {"--settings", "/tmp/a.reg"},
     true,
     Action::Run,
     false,
     true,
     "/tmp/a.reg",
     "",
     false,
     ""},
    {"settings_joined",
     {"--settings=/tmp/b.reg"},
     true,
     Action::Run,
     false,
     true,
     "/tmp/b.reg",
     "",
     false,
     ""},
    {"screenshot_and_simulate",
     {"--screenshot", "x.png", "--simulate"},
     true,
     Action::Run,
     true,
     true,
     "",
     "x.png",
     false,
     ""},
    {"help", {"--help"}, true, Action::Help, false, true, "", "", false, ""},
    {"version_after_options",
     {"--simulate", "--version"},
     true,
     Action::Version,
     true,
     true,
     "",
     "",
     false,
     ""},
    {"measure", {"--simulate", "--measure"}, true, Action::Run, true, true, "", "", true, ""},
    {"unknown_option",
     {"--simulated"},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "'--simulated'"},
    {"stray_word", {"run"}, false, Action::Run, false, true, "", "", false, "'run'"},
    {"qt_style_option",
     {"-platform", "xcb"},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "'-platform'"},
    {"settings_without_file",
     {"--settings"},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "--settings needs a file name"},
    {"settings_with_empty_file",
     {"--settings="},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "--settings needs a file name"},
    {"screenshot_without_file",
     {"--simulate", "--screenshot"},
     false,
     Action::Run,
     true,
     true,
     "",
     "",
     false,
     "--screenshot needs a file name"},
    {"bad_board_option",
     {"--simulate=hub=zz"},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "--simulate=hub=zz"},
    {"prefix_of_an_option",
     {"--set=a"},
     false,
     Action::Run,
     false,
     true,
     "",
     "",
     false,
     "'--set=a'"},
};

struct CautionPathRow {
    const char* label;
    const char* path;
    const char* caution;
};

const CautionPathRow kCautionPath[] = {
    {"extension", "shot.png", "shot-caution.png"},
    {"directory", "/tmp/out/shot.png", "/tmp/out/shot-caution.png"},
    {"no_extension", "shot", "shot-caution"},
    {"dot_in_a_directory", "/tmp/v1.2/shot", "/tmp/v1.2/shot-caution"},
    {"hidden_file", "/tmp/.png", "/tmp/.png-caution"},
    {"last_dot_counts", "a.b.png", "a.b-caution.png"},
};

}  // namespace

void CommandLineTest::parse_data() {
    add_rows(kParse);
}

void CommandLineTest::parse() {
    const ParseRow& row = fetch_row(kParse);
    qt::CommandLine line;
    std::string error;

    QCOMPARE(qt::parse_command_line(row.args, line, error), row.ok);

    if (!row.ok) {
        QVERIFY2(error.find(row.error) != std::string::npos, error.c_str());
        return;
    }
    QVERIFY(error.empty());
    QCOMPARE(line.action, row.action);
    QCOMPARE(line.simulate.has_value(), row.simulate);
    if (line.simulate) {
        QCOMPARE(line.simulate->real_pauses, row.real_pauses);
    }
    QCOMPARE(line.settings_path, std::string(row.settings));
    QCOMPARE(line.screenshot_path, std::string(row.screenshot));
    QCOMPARE(line.measure, row.measure);
}

void CommandLineTest::caution_picture_path_data() {
    add_rows(kCautionPath);
}

void CommandLineTest::caution_picture_path() {
    const CautionPathRow& row = fetch_row(kCautionPath);
    QCOMPARE(qt::caution_screenshot_path(row.path), std::string(row.caution));
}

}  // namespace vantrel::test
