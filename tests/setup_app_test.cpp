// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/caution_notice.h"
#include "app/core/setup_app.h"
#include "res/resource_ids.h"
#include "support/dialog_harness.h"
#include "support/fake_app.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::CautionStep;
using test::error_box;
using test::FakeCautionWindow;
using test::PrintTo;
using test::ShownMessage;

// Start-up on the simulated board with fresh records, a fake registry and a fake notice.
struct AppHarness : test::DialogHarness {
    test::FakeDialogFramework framework;
    test::FakeCautionNotice caution;
    SetupApp app{framework, registry, caution, settings_key, env()};
};

struct NoticeCase {
    const char* label;
    std::vector<CautionStep> steps;
    std::uint32_t stored;
};

class FirstRun : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(FirstRun, ShowsTheNoticeAndStoresItsAnswer) {
    AppHarness a;
    a.caution.set_steps(GetParam().steps);

    EXPECT_FALSE(a.app.start_up());

    EXPECT_EQ(a.caution.runs(), 1u);
    EXPECT_EQ(a.registry.key().dword("Caution"), GetParam().stored);
    EXPECT_EQ(a.framework.modal_runs(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FirstRun,
    ::testing::Values(
        NoticeCase{"OkWithBoxClear", {CautionStep::ok()}, 1},
        NoticeCase{"OkWithBoxTicked", {CautionStep::tick(1), CautionStep::ok()}, 0},
        NoticeCase{"CloseWithBoxTicked", {CautionStep::tick(1), CautionStep::close()}, 0},
        NoticeCase{"CloseWithBoxClear", {CautionStep::close()}, 1},
        NoticeCase{"IndeterminateCountsAsClear", {CautionStep::tick(2), CautionStep::ok()}, 1},
        NoticeCase{"EscapeIsIgnored",
                   {CautionStep::tick(1), CautionStep::escape(), CautionStep::ok()},
                   0}),
    test::ByLabel());

struct StoredCaution {
    const char* label;
    std::vector<std::uint8_t> data;  // nothing stored when empty
    bool notice_due;
};

class StoredValue : public ::testing::TestWithParam<StoredCaution> {};

TEST_P(StoredValue, DecidesWhetherTheNoticeIsDue) {
    AppHarness a;
    if (!GetParam().data.empty()) {
        a.registry.key().put("Caution", {test::RegType::Dword, GetParam().data});
    }
    a.caution.set_steps({CautionStep::tick(1), CautionStep::ok()});

    a.app.start_up();

    EXPECT_EQ(a.caution.runs(), GetParam().notice_due ? 1u : 0u);
    if (GetParam().notice_due) {
        EXPECT_EQ(a.registry.key().dword("Caution"), 0u);  // the answer replaces the value
    } else {
        EXPECT_TRUE(a.registry.key().sets().empty());
    }
    EXPECT_EQ(a.framework.modal_runs(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValue,
    ::testing::Values(
        StoredCaution{"Missing", {}, true}, StoredCaution{"Zero", {0, 0, 0, 0}, false},
        StoredCaution{"Five", {5, 0, 0, 0}, true}, StoredCaution{"One", {1, 0, 0, 0}, true},
        StoredCaution{"MinusOne", {0xFF, 0xFF, 0xFF, 0xFF}, true},
        StoredCaution{"HighByteOnly", {0, 0, 0, 1}, true}, StoredCaution{"ShortZero", {0}, false},
        StoredCaution{"EightByteZero", {0, 0, 0, 0, 0, 0, 0, 0}, true}),
    test::ByLabel());

TEST(StartUp, ANoticeThatCannotBeShownStoresMinusOneAndIsDueAgain) {
    AppHarness a;
    a.caution.set_showable(false);
    a.app.start_up();
    EXPECT_EQ(a.registry.key().dword("Caution"), 0xFFFFFFFFu);

    AppHarness next;
    next.registry.key().put_dword("Caution", 0xFFFFFFFFu);
    next.app.start_up();
    EXPECT_EQ(next.caution.runs(), 1u);
    EXPECT_EQ(next.registry.key().dword("Caution"), 1u);
}

TEST(StartUp, AnInaccessibleKeyStillRunsTheDialogWithoutNotice) {
    AppHarness a;
    a.registry.set_accessible(false);
    a.framework.set_user([](MainDialog& dialog) { dialog.save_settings(); });

    EXPECT_FALSE(a.app.start_up());

    EXPECT_EQ(a.caution.runs(), 0u);
    EXPECT_EQ(a.settings_key.key, nullptr);
    EXPECT_EQ(a.framework.modal_runs(), 1u);
    EXPECT_EQ(a.controls.text(IDC_GENERATOR), "VXC 812-07 ");
    EXPECT_EQ(a.messages.shown(), std::vector<ShownMessage>{error_box("Cannot Save Settings!")});
}

TEST(StartUp, OpensTheKeyOnceAndTheDialogUsesIt) {
    AppHarness a;
    a.registry.key().put_dword("Caution", 0);
    a.framework.set_user([](MainDialog& dialog) {
        dialog.save_settings();
        dialog.load_settings();
    });

    a.app.start_up();

    EXPECT_EQ(a.registry.opened(), std::vector<std::string>{"Software\\Korvane\\25"});
    EXPECT_EQ(a.settings_key.key, &a.registry.key());
    EXPECT_EQ(a.registry.key().dword("REG11"), 132u);
    EXPECT_TRUE(a.messages.shown().empty());
    EXPECT_EQ(a.framework.look_enabled(), 1u);
}

TEST(StartUp, NoticeComesBeforeTheMainDialog) {
    AppHarness a;
    a.framework.set_user([&a](MainDialog&) { EXPECT_EQ(a.caution.runs(), 1u); });
    a.app.start_up();
    EXPECT_EQ(a.caution.runs(), 1u);
    EXPECT_EQ(a.window.loaded(), std::vector<int>({IDR_MAINFRAME, IDR_MAINFRAME}));
}

struct CentreCase {
    const char* label;
    int screen_width;
    int screen_height;
    ScreenRect rect;
    int x;
    int y;
};

class CautionCentre : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CautionCentre, OnInitDialog) {
    const auto& c = GetParam();
    FakeCautionWindow window;
    window.set_screen(c.screen_width, c.screen_height);
    window.set_rect(c.rect);

    EXPECT_EQ(caution_proc(window, kWmInitDialog, 0, 0), 1);

    EXPECT_EQ(window.moves(), (std::vector<std::pair<int, int>>{{c.x, c.y}}));
    EXPECT_FALSE(window.result().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CautionCentre,
    ::testing::Values(CentreCase{"Screen800x600", 800, 600, {10, 20, 291, 189}, 259, 215},
                      CentreCase{"Screen1024x768", 1024, 768, {0, 0, 282, 170}, 371, 299},
                      // Halves of negative differences truncate toward zero.
                      CentreCase{"LargerThanTheScreen", 640, 480, {0, 0, 701, 521}, -30, -20}),
    test::ByLabel());

struct ProcCase {
    const char* label;
    std::uint32_t message;
    std::uintptr_t wparam;
    int check;
    int handled;
    std::optional<int> result;
};

class CautionProc : public ::testing::TestWithParam<ProcCase> {};

TEST_P(CautionProc, Message) {
    const auto& c = GetParam();
    FakeCautionWindow window;
    window.set_check(c.check);
    EXPECT_EQ(caution_proc(window, c.message, c.wparam, 0), c.handled);
    EXPECT_EQ(window.result(), c.result);
    EXPECT_TRUE(window.moves().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CautionProc,
    ::testing::Values(ProcCase{"OkClear", kWmCommand, 1, 0, 1, 1},
                      ProcCase{"OkTicked", kWmCommand, 1, 1, 1, 0},
                      ProcCase{"OkIndeterminate", kWmCommand, 1, 2, 1, 1},
                      ProcCase{"CloseTicked", kWmClose, 0, 1, 1, 0},
                      ProcCase{"CloseClear", kWmClose, 0, 0, 1, 1},
                      ProcCase{"Cancel", kWmCommand, 2, 1, 1, std::nullopt},
                      ProcCase{"CheckBoxClick", kWmCommand, IDC_DONT_SHOW, 1, 1, std::nullopt},
                      ProcCase{"OkWithNotification", kWmCommand, 0x00010001, 1, 1, std::nullopt},
                      ProcCase{"Paint", 0x000F, 0, 1, 0, std::nullopt}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
