// SPDX-License-Identifier: MIT
// The commands that are not on the skin: the tray icon's menu, chosen with
// the pointer and the keyboard, and the keys that pick or quit while the
// window is active.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_commands/pattern_background.h"
#include "harness/desk.h"
#include "harness/printers.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).open()) << (desk).error().toStdString()

const QString kSettings = QStringLiteral("settings");
const QString kLastColor = QStringLiteral("lastcolor");
const QString kCaptureTitle = QStringLiteral("captureme");

void expectExit(AppRun& app, int code) {
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, code) << app.stderrText().toStdString();
}

// The program's menu, when one is shown: a top-level window of its own that
// no window manager frames, other than its main window and the icon's tool
// tip. (Qt gives a menu without a parent the type of a normal window.)
std::optional<XWindow> programMenu(Desk& desk) {
    XConnection& x = desk.session().x();
    const std::uint32_t toolTip = x.atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
    for (XWindow w : x.children(x.root())) {
        const std::vector<std::uint32_t> types = x.atomList(w, "_NET_WM_WINDOW_TYPE");
        if (x.viewable(w) && w != desk.window() &&
            std::find(types.begin(), types.end(), toolTip) == types.end() &&
            x.wmClass(w).value(1).compare(QStringLiteral("huepick"), Qt::CaseInsensitive) == 0) {
            return w;
        }
    }
    return std::nullopt;
}

// The middle of the menu's first entry: the menu is a column of entries
// some 22 pixels high.
QPoint firstEntry(QRect menu) {
    return {menu.center().x(), menu.top() + 11};
}

class TrayMenu : public ::testing::Test {
protected:
    void SetUp() override {
        START(m_desk);
        ASSERT_TRUE(
            pollUntil([&] { return (m_icon = m_desk.session().trayIcon()).has_value(); }, 5000))
            << "no huepick icon in the tray";
    }

    // Right-clicks the tray icon until the program shows the menu, at most
    // `clicks` times, and waits until it has handled everything up to it;
    // the menu's place. A right-click that comes right after an entry was
    // chosen may open no menu (it always does so when the entry brought the
    // window back; one 300 ms later opens it): no person clicks that fast, a
    // test does, so it may click again.
    std::optional<QRect> openMenu(int clicks = 1) {
        std::optional<XWindow> menu;
        for (int click = 0; click < clicks && !menu; ++click) {
            if (!m_desk.session().clickAt(m_icon->center(), 3)) {
                return std::nullopt;
            }
            pollUntil([&] { return (menu = programMenu(m_desk)).has_value(); }, 1000);
        }
        if (!menu || !m_desk.sync()) {
            return std::nullopt;
        }
        return m_desk.session().x().geometry(*menu);
    }

    // Waits until the menu has gone.
    bool menuClosed() {
        return pollUntil([&] { return !programMenu(m_desk).has_value(); }, 3000);
    }

    Desk m_desk{{.tray = true}, {.ini = iniWithColour("FF8000")}};
    std::optional<QRect> m_icon;
};

// Entries chosen with the pointer and with the keyboard, the window shown or
// hidden: the menu takes the keyboard even when no window of the program
// has it.
TEST_F(TrayMenu, ShowHideHidesAndShowsTheWindowAndQuitEndsWithTheColourStored) {
    ASSERT_TRUE(m_desk.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(m_desk.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));

    std::optional<QRect> menu = openMenu();
    ASSERT_TRUE(menu) << "no menu on a right click on the icon";
    ASSERT_TRUE(m_desk.session().clickAt(firstEntry(*menu)));
    EXPECT_TRUE(m_desk.waitViewable(false)) << "Show/Hide left the window shown";
    ASSERT_TRUE(menuClosed()) << "the menu stayed open";
    EXPECT_TRUE(m_desk.running());

    ASSERT_TRUE(openMenu(2)) << "no menu with the window hidden";
    ASSERT_TRUE(m_desk.session().key(QStringLiteral("Down")));
    ASSERT_TRUE(m_desk.session().key(QStringLiteral("Return")));
    EXPECT_TRUE(m_desk.waitViewable(true)) << "Show/Hide did not bring the window back";
    ASSERT_TRUE(menuClosed()) << "the menu stayed open";
    EXPECT_TRUE(pollUntil([&] { return m_desk.session().activeWindow() == m_desk.window(); }, 3000))
        << "the window came back without the keyboard";

    ASSERT_TRUE(openMenu(2)) << "no menu on the third right click";
    // Up from no entry wraps round to the last one.
    ASSERT_TRUE(m_desk.session().key(QStringLiteral("Up")));
    ASSERT_TRUE(m_desk.session().key(QStringLiteral("Return")));
    ASSERT_NO_FATAL_FAILURE(expectExit(m_desk, 0));
    EXPECT_EQ(m_desk.iniValue(kSettings, kLastColor), QStringLiteral("12AB34"));
}

TEST(Keys, CtrlSStartsAPickAndCtrlQStoresAndQuits) {
    Desk desk({.screenSize = {1920, 1080}}, {.ini = iniWithColour("123456")});
    PatternBackground pattern;
    const QString why = pattern.show(desk.session());
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    START(desk);

    ASSERT_TRUE(desk.pointAt(*desk.background()));
    ASSERT_TRUE(desk.session().key(QStringLiteral("ctrl+s")));
    ASSERT_TRUE(
        pollUntil([&] { return desk.session().viewableWindow(kCaptureTitle).has_value(); }, 3000))
        << "Ctrl+S opened no picking window";
    // Sample mode: the first click picks.
    const QPoint p(1700, 200);
    ASSERT_TRUE(desk.session().clickAt(p));
    ASSERT_TRUE(
        pollUntil([&] { return !desk.session().viewableWindow(kCaptureTitle).has_value(); }, 3000))
        << "the click did not pick";
    const QString picked = hexOf(patternAt(p));
    ASSERT_EQ(desk.copyField(Role::HexField, picked), picked);

    ASSERT_TRUE(desk.focus());
    ASSERT_TRUE(desk.session().key(QStringLiteral("ctrl+q")));
    ASSERT_NO_FATAL_FAILURE(expectExit(desk, 0));
    EXPECT_EQ(desk.iniValue(kSettings, kLastColor), picked.mid(1));
}

// The keys carry Ctrl, so the letters themselves stay text.
TEST(Keys, PlainLettersTypedIntoTheHexFieldStayText) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(desk.typeInto(Role::HexField, QStringLiteral("sqm")));
    EXPECT_EQ(desk.copyField(Role::HexField, QStringLiteral("sqm")), QStringLiteral("sqm"));
    EXPECT_FALSE(desk.session().viewableWindow(kCaptureTitle).has_value());
    EXPECT_TRUE(desk.running());
}

}  // namespace
}  // namespace e2e
