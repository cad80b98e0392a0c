// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/file_boot_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

// What the guard file holds after each step, and what the guard then reads from it.
struct GuardStep {
    enum class Action { Set, RecordFailure, Clear } action;
    const char* cause;  // RecordFailure
    bool succeeds;
    bool present_after;
    const char* failure_after;
    const char* file_after;  // nullptr: no file
};

struct GuardCase {
    const char* label;
    std::vector<GuardStep> steps;
};

class FileBootGuardSteps : public ::testing::TestWithParam<GuardCase> {};

TEST_P(FileBootGuardSteps, KeepsTheProtocolInItsFile) {
    test::TempDir dir;
    FileBootGuard guard(dir / "state");
    int i = 0;
    for (const GuardStep& step : GetParam().steps) {
        ++i;
        bool result = false;
        switch (step.action) {
            case GuardStep::Action::Set:
                result = guard.set();
                break;
            case GuardStep::Action::RecordFailure:
                result = guard.record_failure(step.cause);
                break;
            case GuardStep::Action::Clear:
                result = guard.clear();
                break;
        }
        EXPECT_EQ(result, step.succeeds) << "step " << i << ": " << guard.problem();
        std::string failure = "left over";
        EXPECT_EQ(guard.present(failure), step.present_after) << "step " << i;
        if (step.present_after) {
            EXPECT_EQ(failure, step.failure_after) << "step " << i;
        }
        EXPECT_EQ(test::file_exists(guard.path()), step.file_after != nullptr) << "step " << i;
        if (step.file_after != nullptr) {
            EXPECT_EQ(test::read_file(guard.path()), step.file_after) << "step " << i;
            EXPECT_EQ(guard.record(), step.file_after) << "step " << i;
        }
    }
}

constexpr const char* kArmed =
    "A boot-time load of the saved clock settings started and has not finished.\n";
constexpr const char* kFailed =
    "The last boot-time load of the saved clock settings failed: Settings Data Crushed!\n";

using A = GuardStep::Action;

INSTANTIATE_TEST_SUITE_P(
    Runs, FileBootGuardSteps,
    ::testing::Values(GuardCase{"SetThenCleared",
                                {{A::Set, nullptr, true, true, "", kArmed},
                                 {A::Clear, nullptr, true, false, "", nullptr}}},
                      GuardCase{"FailureIsRecordedAndReadBack",
                                {{A::Set, nullptr, true, true, "", kArmed},
                                 {A::RecordFailure, "Settings Data Crushed!", true, true,
                                  "Settings Data Crushed!", kFailed}}},
                      GuardCase{"SecondSetFindsTheFirst",
                                {{A::Set, nullptr, true, true, "", kArmed},
                                 {A::Set, nullptr, false, true, "", kArmed}}},
                      GuardCase{"ClearingNoGuardSucceeds",
                                {{A::Clear, nullptr, true, false, "", nullptr}}}),
    test::ByLabel());

TEST(FileBootGuard, ProblemNamesTheFileThatCannotBeWritten) {
    test::TempDir dir;
    test::write_file(dir / "state", "a file where the directory should be");
    FileBootGuard guard(dir / "state");
    EXPECT_FALSE(guard.set());
    EXPECT_EQ(guard.problem(),
              "cannot write the boot guard " + dir / "state" + "/boot-guard: Not a directory");
}

}  // namespace
}  // namespace vantrel::platform
