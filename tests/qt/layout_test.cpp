// SPDX-License-Identifier: GPL-2.0-or-later
// Both windows as built: every control of each template with its ID, kind, text, items, tab
// position and place, and the windows themselves.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <memory>

#include "qt/main_window.h"
#include "qt/notice.h"
#include "qt/pictures.h"
#include "qt/qstring_text.h"
#include "qt/widgets.h"
#include "res/dialog_templates.h"
#include "template_metrics.h"
#include "test_classes.h"
#include "ui/dialog_units.h"

namespace vantrel::test {

namespace {

// Qt 5 hands out the label's picture by value only when asked to.
bool shows_picture(const QLabel& label) {
#if QT_VERSION_MAJOR >= 6
    return !label.pixmap().isNull();
#else
    return !label.pixmap(Qt::ReturnByValue).isNull();
#endif
}

QString qstr(std::string_view text) {
    return qt::to_qstring(text);
}

// Whether a widget is what the template's kind asks for.
bool is_kind(const QWidget& widget, res::ControlKind kind) {
    switch (kind) {
        case res::ControlKind::PushButton:
            return qobject_cast<const QPushButton*>(&widget) != nullptr;
        case res::ControlKind::DropDownList: {
            const auto* combo = qobject_cast<const QComboBox*>(&widget);
            return combo != nullptr && !combo->isEditable();
        }
        case res::ControlKind::Edit:
            return qobject_cast<const QLineEdit*>(&widget) != nullptr;
        case res::ControlKind::Trackbar: {
            const auto* slider = qobject_cast<const QSlider*>(&widget);
            return slider != nullptr && slider->orientation() == Qt::Horizontal;
        }
        case res::ControlKind::CheckBox: {
            const auto* box = qobject_cast<const QCheckBox*>(&widget);
            return box != nullptr && !box->isTristate();
        }
        case res::ControlKind::GroupBox:
            return qobject_cast<const QGroupBox*>(&widget) != nullptr;
        case res::ControlKind::Label: {
            const auto* label = qobject_cast<const QLabel*>(&widget);
            return label != nullptr && !shows_picture(*label);
        }
        case res::ControlKind::Icon: {
            const auto* label = qobject_cast<const QLabel*>(&widget);
            return label != nullptr && shows_picture(*label);
        }
    }
    return false;
}

QString shown_text(const QWidget& widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->title();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        return edit->text();
    }
    return {};
}

QStringList items(const QWidget& widget) {
    QStringList list;
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        for (int i = 0; i < combo->count(); ++i) {
            list << combo->itemText(i);
        }
    }
    return list;
}

// The controls that Tab visits, in the order it visits them.
QList<QWidget*> tab_chain(QWidget& window) {
    QList<QWidget*> chain;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->parentWidget() == &window) {
            chain << w;
        }
    }
    return chain;
}

enum class Window : unsigned char { Main, Caution };

}  // namespace
}  // namespace vantrel::test

// Qt 5 passes only declared types through a data-driven test's columns.
Q_DECLARE_METATYPE(vantrel::test::Window)

namespace vantrel::test {
namespace {

// One window built as the program builds it.
struct BuiltWindow {
    qt::IconLibrary icons;
    std::unique_ptr<QWidget> window;
    const qt::TemplateWidgets* widgets = nullptr;

    explicit BuiltWindow(Window which) {
        if (which == Window::Main) {
            auto main = std::make_unique<qt::MainWindow>(icons);
            main->create_controls();
            widgets = main->widgets();
            window = std::move(main);
        } else {
            auto caution = std::make_unique<qt::CautionDialog>(icons);
            widgets = &caution->widgets();
            window = std::move(caution);
        }
    }
};

const res::DialogTemplate& template_of(Window which) {
    return which == Window::Main ? res::kMainDialog : res::kCautionDialog;
}

}  // namespace

void LayoutTest::every_control_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<int>("index");
    for (const Window which : {Window::Main, Window::Caution}) {
        const res::DialogTemplate& dialog = template_of(which);
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            const res::ControlTemplate& control = dialog.controls[i];
            const QString what = control.kind == res::ControlKind::Icon
                                     ? QStringLiteral("icon %1").arg(control.icon_resource)
                                 : control.text.empty() ? QStringLiteral("ID %1").arg(control.id)
                                                        : qstr(control.text).trimmed();
            const QByteArray name = QStringLiteral("%1 %2 %3")
                                        .arg(which == Window::Main ? "main" : "caution")
                                        .arg(i)
                                        .arg(what)
                                        .toUtf8();
            QTest::newRow(name.constData()) << which << static_cast<int>(i);
        }
    }
}

void LayoutTest::every_control() {
    QFETCH(Window, window);
    QFETCH(int, index);
    const res::DialogTemplate& dialog = template_of(window);
    const res::ControlTemplate& control = dialog.controls[static_cast<std::size_t>(index)];
    BuiltWindow built(window);
    const QWidget* widget = built.widgets->controls().at(static_cast<std::size_t>(index)).widget;
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->parentWidget(), built.window.get());

    QCOMPARE(widget->property(qt::TemplateWidgets::kControlIdProperty).toInt(), control.id);
    if (control.id != kIdStatic) {
        QCOMPARE(built.widgets->widget(control.id), widget);
    }
    QVERIFY2(is_kind(*widget, control.kind), widget->metaObject()->className());
    // The Linux window names its own platform in the version line.
    const QString text =
        qstr(control.text == res::kVersionLine ? res::kLinuxVersionLine : control.text);
    QCOMPARE(shown_text(*widget), text);
    QStringList want_items;
    for (const std::string_view item : control.items) {
        want_items << qstr(item);
    }
    QCOMPARE(items(*widget), want_items);

    // Geometry: the template's dialog units in pixels of the template's font. A drop-down
    // list's height is that of its dropped list, so only its closed box is on the dialog; an
    // icon takes the system icon size.
    const PixelRect want = dialog_to_pixels(control.rect, expected_units(dialog));
    const QRect got = widget->geometry();
    QCOMPARE(got.x(), want.x);
    QCOMPARE(got.y(), want.y);
    if (control.kind == res::ControlKind::Icon) {
        const int icon = widget->style()->pixelMetric(QStyle::PM_LargeIconSize);
        QCOMPARE(got.size(), QSize(icon, icon));
    } else {
        QCOMPARE(got.width(), want.width);
        if (control.kind == res::ControlKind::DropDownList) {
            const auto* combo = qobject_cast<const QComboBox*>(widget);
            QVERIFY(got.height() < want.height);
            QCOMPARE(
                combo->maxVisibleItems(),
                std::max(1, (want.height - got.height()) / QFontMetrics(widget->font()).height()));
        } else {
            QCOMPARE(got.height(), want.height);
        }
    }

    // A static text shows whole: on one line, or wrapped at word breaks where the control
    // wraps, it fits its rectangle.
    if (control.kind == res::ControlKind::Label) {
        const QFontMetrics metrics(widget->font());
        const QSize needed = qobject_cast<const QLabel*>(widget)->wordWrap()
                                 ? metrics
                                       .boundingRect(QRect(0, 0, got.width(), 1000),
                                                     Qt::AlignLeft | Qt::TextWordWrap, text)
                                       .size()
                                 : QSize(metrics.horizontalAdvance(text), metrics.height());
        QVERIFY2(
            needed.width() <= got.width() && needed.height() <= got.height(),
            qPrintable(QStringLiteral("needs %1 x %2").arg(needed.width()).arg(needed.height())));
    }

    // Tab position: tab stops in template order, nothing else reached by Tab.
    const bool tab_stop = (control.style & res::kStyleTabStop) != 0;
    int stops_before = 0;
    for (int i = 0; i < index; ++i) {
        if ((dialog.controls[static_cast<std::size_t>(i)].style & res::kStyleTabStop) != 0) {
            ++stops_before;
        }
    }
    const QList<QWidget*> chain = tab_chain(*built.window);
    if (tab_stop) {
        QCOMPARE(chain.indexOf(const_cast<QWidget*>(widget)), stops_before);
    } else {
        QVERIFY(!chain.contains(const_cast<QWidget*>(widget)));
    }
}

void LayoutTest::version_line_data() {
    QTest::addColumn<bool>("simulated");
    QTest::addColumn<QString>("line");
    QTest::newRow("this machine") << false << qstr(res::kLinuxVersionLine);
    QTest::newRow("simulated board") << true << qstr(res::kLinuxSimulatedVersionLine);
}

void LayoutTest::version_line() {
    QFETCH(bool, simulated);
    QFETCH(QString, line);
    qt::IconLibrary icons;
    qt::MainWindow window(icons);
    window.set_simulated(simulated);
    window.create_controls();
    const QLabel* shown = nullptr;
    for (const qt::BuiltControl& built : window.widgets()->controls()) {
        if (built.control->text == res::kVersionLine) {
            shown = qobject_cast<const QLabel*>(built.widget);
        }
    }
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->text(), line);
    // Whole on its one line.
    QVERIFY(QFontMetrics(shown->font()).horizontalAdvance(line) <= shown->width());
    // Told after the controls exist, as well.
    window.set_simulated(!simulated);
    QVERIFY(shown->text() != line);
}

void LayoutTest::windows_data() {
    QTest::addColumn<Window>("window");
    QTest::newRow("main") << Window::Main;
    QTest::newRow("caution") << Window::Caution;
}

void LayoutTest::windows() {
    QFETCH(Window, window);
    const res::DialogTemplate& dialog = template_of(window);
    BuiltWindow built(window);
    const PixelRect client = dialog_client_pixels(dialog, expected_units(dialog));

    // Fixed at the template's size.
    QCOMPARE(built.window->minimumSize(), QSize(client.width, client.height));
    QCOMPARE(built.window->maximumSize(), QSize(client.width, client.height));
    QCOMPARE(built.window->windowTitle(), qstr(dialog.caption));

    const Qt::WindowFlags flags = built.window->windowFlags();
    const bool caption = (dialog.style & res::kDialogCaption) != 0;
    QCOMPARE(flags.testFlag(Qt::FramelessWindowHint), !caption);
    if (caption) {
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QCOMPARE(flags.testFlag(Qt::WindowCloseButtonHint),
                 (dialog.style & res::kDialogSystemMenu) != 0);
        QCOMPARE(flags.testFlag(Qt::WindowMinimizeButtonHint),
                 (dialog.style & res::kDialogMinimizeBox) != 0);
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        // An application window: a taskbar button of its own.
        QCOMPARE(built.window->windowType(), Qt::Window);
    }
}

}  // namespace vantrel::test
