// SPDX-License-Identifier: MIT
// What desktop users expect of the window beyond its skin: names and roles
// for assistive technology, the tray icon's menu, keys that start a pick or
// quit, and help that opens even where the desktop cannot show it.
#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTextBrowser>

#include "app_fixture.h"

namespace huepick::testing {
namespace {

class Conventions : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        store("FF8000");
        start();
    }
    QAction* menuAction(const QString& text) {
        EXPECT_NE(m_fake.tray->menu, nullptr);
        for (QAction* action : m_fake.tray->menu->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
        return nullptr;
    }
    QWidget* helpViewer() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"helpViewer"_s && w->isVisible()) {
                return w;
            }
        }
        return nullptr;
    }
};

TEST_F(Conventions, EveryControlHasANameARoleAndATooltip) {
    for (const layout::Control& c : layout::kControls) {
        SCOPED_TRACE(nameOf(c.role).toStdString());
        QWidget* widget = control(c.role);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).isEmpty());
        EXPECT_FALSE(widget->toolTip().isEmpty());
        switch (c.kind) {
            case layout::Kind::Button:
                EXPECT_EQ(face->role(), QAccessible::Button);
                ASSERT_NE(face->actionInterface(), nullptr);
                EXPECT_TRUE(face->actionInterface()->actionNames().contains(
                    QAccessibleActionInterface::pressAction()));
                break;
            case layout::Kind::Swatch:
                EXPECT_EQ(face->role(), QAccessible::Graphic);
                break;
            case layout::Kind::Field:
                EXPECT_EQ(face->role(), QAccessible::EditableText);
                break;
            case layout::Kind::Frame:
                break;
        }
    }
    // Swatches are described by the colour they show.
    auto description = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
    };
    EXPECT_EQ(description(control(Role::ColourSwatch)), u"#FF8000"_s);
    EXPECT_EQ(description(control(Role::GreenSwatch)), u"#008000"_s);
    typeOver(Role::GreenField, u"255"_s);
    EXPECT_EQ(description(control(Role::ColourSwatch)), u"#FFFF00"_s);
}

TEST_F(Conventions, PressingAButtonThroughAssistiveTechnologyActsAsAClick) {
    QAccessibleInterface* up = QAccessible::queryAccessibleInterface(control(Role::RedDown));
    up->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(text(Role::RedField), u"254"_s);
}

TEST_F(Conventions, TrayMenuShowsHidesPicksOpensAndQuits) {
    menuAction(u"Show/Hide"_s)->trigger();
    EXPECT_FALSE(window().isVisible());
    menuAction(u"Show/Hide"_s)->trigger();
    EXPECT_TRUE(window().isVisible());

    menuAction(u"Magnify"_s)->trigger();
    EXPECT_EQ(m_fake.screen->grabs, 1);
    QPointer<QWidget> picking;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"captureWindow"_s && w->isVisible()) {
            picking = w;
        }
    }
    ASSERT_NE(picking, nullptr);
    QTest::mouseClick(picking->windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picking.isNull(); }));

    menuAction(u"Open Colour Log"_s)->trigger();
    menuAction(u"Help"_s)->trigger();
    EXPECT_EQ(m_fake.shell->opened, (std::vector<QString>{m_places.logFile, m_places.helpFile}));

    QSignalSpy finished(m_app.get(), &HuepickApp::finished);
    menuAction(u"Quit"_s)->trigger();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=FF8000\n"));
}

TEST_F(Conventions, KeysStartAPickOrQuitWithoutTypingIntoAField) {
    pointerMovesOver(field(Role::HexField));
    ASSERT_TRUE(field(Role::HexField)->hasFocus());
    QTest::keyClick(field(Role::HexField), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(m_fake.screen->grabs, 1);
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
    // Plain letters are typed into the field as ever.
    typeOver(Role::HexField, u"#abcdef"_s);
    EXPECT_EQ(text(Role::HexField), u"#abcdef"_s);

    QSignalSpy finished(m_app.get(), &HuepickApp::finished);
    QTest::keyClick(field(Role::RedField), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(Conventions, HelpOpensInItsOwnWindowWhenTheDesktopCannotShowIt) {
    QFile help(m_places.helpFile);
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("<html><body><h1>Help page</h1></body></html>");
    help.close();
    m_fake.shell->fails = true;
    click(Role::HelpButton);
    QWidget* viewer = helpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(static_cast<QTextBrowser*>(viewer)->toPlainText().contains(u"Help page"_s));

    // The colour log goes to the desktop only; a failure says so on stderr.
    ::testing::internal::CaptureStderr();
    click(Role::LogButton);
    EXPECT_EQ(ourLines(::testing::internal::GetCapturedStderr()), 1);
}

}  // namespace
}  // namespace huepick::testing
