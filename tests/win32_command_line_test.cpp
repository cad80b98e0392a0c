// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "support/param_name.h"

namespace vantrel::win32 {
namespace {

struct AcceptedRow {
    const char* label;
    const char* text;
    bool simulate;
    const char* board_options;
    bool load;
    bool clear_guard;
    bool help;
};

const AcceptedRow kAccepted[] = {
    {"nothing_opens_the_dialog_on_the_hardware", "", false, "", false, false, false},
    {"only_blanks", "  \t ", false, "", false, false, false},
    {"simulate_alone_is_the_default_board", "/simulate", true, "", false, false, false},
    {"simulate_with_options", "/simulate:hub=ab,dividers=4/3", true, "hub=ab,dividers=4/3", false,
     false, false},
    {"simulate_with_an_empty_list", "/simulate:", true, "", false, false, false},
    {"options_keep_their_case_and_later_colons", "/simulate:dump=C:\\Dumps\\Board.txt", true,
     "dump=C:\\Dumps\\Board.txt", false, false, false},
    {"quoted_path_with_blanks", "/simulate:dump=\"C:\\My Documents\\board.txt\"", true,
     "dump=C:\\My Documents\\board.txt", false, false, false},
    {"whole_argument_quoted", "\"/simulate:dump=C:\\My Documents\\b.txt\" /load", true,
     "dump=C:\\My Documents\\b.txt", true, false, false},
    {"load", "/load", false, "", true, false, false},
    {"switches_ignore_case", "/LOAD /Simulate:hub=aa", true, "hub=aa", true, false, false},
    {"dash_works_as_slash", "-load -simulate", true, "", true, false, false},
    {"clearguard", "/clearguard", false, "", false, true, false},
    {"help", "/?", false, "", false, false, true},
    {"help_by_name", "-HELP", false, "", false, false, true},
    {"the_last_simulate_counts", "/simulate:hub=aa /simulate:hub=ba", true, "hub=ba", false, false,
     false},
    {"blanks_between_arguments", "  /load\t  /simulate  ", true, "", true, false, false},
};

class CommandLineAccepted : public ::testing::TestWithParam<AcceptedRow> {};

TEST_P(CommandLineAccepted, Parses) {
    const AcceptedRow& row = GetParam();
    CommandLine command;
    std::string error;
    ASSERT_TRUE(parse_command_line(row.text, command, error)) << error;
    EXPECT_EQ(command.simulate, row.simulate);
    EXPECT_EQ(command.board_options, row.board_options);
    EXPECT_EQ(command.load, row.load);
    EXPECT_EQ(command.clear_guard, row.clear_guard);
    EXPECT_EQ(command.help, row.help);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandLineAccepted, ::testing::ValuesIn(kAccepted),
                         test::ByLabel{});

struct RefusedRow {
    const char* label;
    const char* text;
    const char* named;  // what the error must mention
};

const RefusedRow kRefused[] = {
    {"unknown_switch", "/loud", "/loud"},
    {"a_word_without_a_switch_sign", "load", "load"},
    {"a_bare_slash", "/", "/"},
    {"a_value_on_a_switch_without_one", "/load:now", "/load:now"},
    {"load_and_clearguard_together", "/load /clearguard", "/clearguard"},
    {"unknown_after_a_good_one", "/simulate /x", "/x"},
    {"switch_name_only_as_a_prefix", "/loadx", "/loadx"},
};

class CommandLineRefused : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(CommandLineRefused, NamesTheArgumentAndLeavesTheCommandAlone) {
    const RefusedRow& row = GetParam();
    CommandLine command;
    command.board_options = "untouched";
    std::string error;
    EXPECT_FALSE(parse_command_line(row.text, command, error));
    EXPECT_NE(error.find(row.named), std::string::npos) << error;
    EXPECT_EQ(command.board_options, "untouched");
    EXPECT_FALSE(command.simulate);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandLineRefused, ::testing::ValuesIn(kRefused), test::ByLabel{});

TEST(CommandLineUsage, NamesEverySwitchAndTheBoardOptions) {
    const std::string usage = usage_text();
    for (const char* word : {"/simulate", "/load", "/clearguard", "hub=", "pauses="}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace vantrel::win32
