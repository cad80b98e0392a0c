// SPDX-License-Identifier: GPL-2.0-or-later
// Start-up with the caution notice on screen: what the user does in it, and what is stored.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <vector>

#include "app/core/setup_app.h"
#include "modal_user.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "qt/notice.h"
#include "qt/program.h"
#include "res/resource_ids.h"
#include "table_rows.h"
#include "test_classes.h"
#include "window_harness.h"

namespace vantrel::test {

namespace {

enum class Act : unsigned char { Tick, OkClick, EnterKey, SpaceOnOk, Escape, CloseBox };

struct NoticeRow {
    const char* label;
    std::optional<std::uint32_t> stored_before;
    std::vector<Act> acts;
    bool shown;
    std::uint32_t stored_after;
};

const NoticeRow kNotice[] = {
    {"first_run_ok_with_box_clear", std::nullopt, {Act::OkClick}, true, 1},
    {"first_run_ok_with_box_ticked", std::nullopt, {Act::Tick, Act::OkClick}, true, 0},
    {"enter_presses_ok", std::nullopt, {Act::Tick, Act::EnterKey}, true, 0},
    {"space_on_the_focused_ok", std::nullopt, {Act::SpaceOnOk}, true, 1},
    {"escape_does_nothing", std::nullopt, {Act::Tick, Act::Escape, Act::OkClick}, true, 0},
    {"close_box_acts_as_ok_ticked", 1, {Act::Tick, Act::CloseBox}, true, 0},
    {"close_box_acts_as_ok_clear", 1, {Act::CloseBox}, true, 1},
    {"any_non_zero_shows_it", 5, {Act::OkClick}, true, 1},
    {"ticked_twice_is_clear", 5, {Act::Tick, Act::Tick, Act::OkClick}, true, 1},
    {"zero_hides_it", 0, {}, false, 0},
};

// What the user saw of the notice.
struct NoticeSeen {
    bool frameless = false;
    QPoint position;
    QSize size;
    bool ok_has_focus = false;
    bool open_after_escape = false;
};

void act(qt::CautionDialog& dialog, Act what, NoticeSeen& seen) {
    auto* ok = qobject_cast<QAbstractButton*>(dialog.widgets().widget(kIdOk));
    auto* box = qobject_cast<QCheckBox*>(dialog.widgets().widget(IDC_DONT_SHOW));
    switch (what) {
        case Act::Tick:
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            break;
        case Act::OkClick:
            QTest::mouseClick(ok, Qt::LeftButton);
            break;
        case Act::EnterKey:
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            break;
        case Act::SpaceOnOk:
            QTest::keyClick(ok, Qt::Key_Space);
            break;
        case Act::Escape:
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
            seen.open_after_escape = dialog.isVisible();
            break;
        case Act::CloseBox:
            dialog.close();
            break;
    }
}

}  // namespace

void CautionTest::notice_data() {
    add_rows(kNotice);
}

void CautionTest::notice() {
    const NoticeRow& row = fetch_row(kNotice);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("vantrel/settings.reg")).toStdString();
    if (row.stored_before) {
        platform::RegFileRegistry earlier(path);
        QVERIFY(earlier.create_or_open(kSettingsKeyPath)->set_dword("Caution", *row.stored_before));
    }
    WindowHarness h;
    platform::RegFileRegistry registry(path);
    qt::ModalFramework framework(h.window);
    qt::ModalCautionNotice caution(h.icons);
    SetupApp app(framework, registry, caution, h.records.settings_key, h.env());

    ModalUser user;
    std::optional<NoticeSeen> notice;
    bool main_shown = false;
    user.on<qt::CautionDialog>([&](qt::CautionDialog& dialog) {
        NoticeSeen seen;
        seen.frameless = dialog.windowFlags().testFlag(Qt::FramelessWindowHint);
        seen.position = dialog.pos();
        seen.size = dialog.size();
        // The window's own focus, which it has whenever it is the active window.
        seen.ok_has_focus = dialog.focusWidget() == dialog.widgets().widget(kIdOk);
        for (const Act a : row.acts) {
            act(dialog, a, seen);
        }
        notice = seen;
    });
    user.on<qt::MainWindow>([&](qt::MainWindow& window) {
        main_shown = true;
        QTest::keyClick(&window, Qt::Key_Escape);
    });

    QVERIFY(!app.start_up());

    QCOMPARE(notice.has_value(), row.shown);
    QVERIFY(main_shown);
    // What the next start finds in the file.
    platform::RegFileRegistry later(path);
    std::uint32_t stored = 0xFFFFFFFF;
    QVERIFY(later.create_or_open(kSettingsKeyPath)->query_dword("Caution", stored));
    QCOMPARE(stored, row.stored_after);
    if (!notice) {
        return;
    }
    QVERIFY(notice->frameless);
    QVERIFY(notice->ok_has_focus);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(notice->position, QPoint((screen.width() - notice->size.width()) / 2,
                                      (screen.height() - notice->size.height()) / 2));
    const bool escaped = std::find(row.acts.begin(), row.acts.end(), Act::Escape) != row.acts.end();
    QCOMPARE(notice->open_after_escape, escaped);
}

}  // namespace vantrel::test
