// SPDX-License-Identifier: MIT
// The tray icon in a real notification area (trayer): it is embedded at
// start-up and its click shows the main window, hidden or not.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness/printers.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e {
namespace {

bool managed(XSession& session, XWindow window) {
    const std::vector<XWindow> clients =
        session.x().windowList(session.x().root(), "_NET_CLIENT_LIST");
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

std::optional<QRect> waitTrayIcon(XSession& session) {
    std::optional<QRect> icon;
    pollUntil([&] { return (icon = session.trayIcon()).has_value(); }, 5000);
    return icon;
}

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_session.ok()) << m_session.error().toStdString();
        ASSERT_TRUE(m_app.launch()) << m_app.error().toStdString();
    }

    XSession m_session{{.tray = true}};
    XAppRun m_app{m_session, {.ini = "[settings]\nlastcolor=FF8000\n"}};
};

TEST_F(Tray, IconIsEmbeddedAndItsClickKeepsTheWindowShown) {
    const std::optional<QRect> icon = waitTrayIcon(m_session);
    ASSERT_TRUE(icon.has_value()) << "no window named huepick inside trayer";
    const std::optional<QRect> strip = m_session.x().geometry(m_session.trayWindow());
    ASSERT_TRUE(strip.has_value());
    EXPECT_TRUE(strip->contains(*icon)) << "icon outside the tray";
    EXPECT_LE(icon->width(), 64);
    EXPECT_LE(icon->height(), 64);

    const std::optional<QRect> before = m_app.geometry();
    ASSERT_TRUE(m_session.clickAt(icon->center()));
    // The copy also shows that the program has handled the click.
    ASSERT_EQ(m_app.copyField(Role::HexField, QStringLiteral("#FF8000")),
              QStringLiteral("#FF8000"));
    EXPECT_TRUE(m_app.viewable());
    EXPECT_EQ(m_app.geometry(), before);
}

TEST_F(Tray, RightClickOnBackgroundHidesAndIconClickRestores) {
    const std::optional<QRect> icon = waitTrayIcon(m_session);
    ASSERT_TRUE(icon.has_value()) << "no window named huepick inside trayer";
    const std::optional<QRect> before = m_app.geometry();
    const std::optional<QPoint> background = m_app.background();
    ASSERT_TRUE(background.has_value()) << "no background left in the window's shape";

    ASSERT_TRUE(m_app.click(*background, 3));
    ASSERT_TRUE(m_app.waitViewable(false))
        << "still shown after a right click at " << background->x() << ", " << background->y();
    EXPECT_TRUE(m_app.running());
    EXPECT_TRUE(m_session.trayIcon().has_value()) << "the icon stays while the window is hidden";
    // Hidden, not minimised: the window manager lets go of it, so no task
    // bar lists it.
    EXPECT_TRUE(pollUntil([&] { return !managed(m_session, m_app.window()); }, 2000))
        << "the window is still managed (minimised rather than hidden?)";

    ASSERT_TRUE(m_session.clickAt(icon->center()));
    ASSERT_TRUE(m_app.waitViewable(true)) << "the icon click did not bring the window back";
    EXPECT_EQ(m_app.geometry(), before);
    EXPECT_TRUE(pollUntil([&] { return m_session.activeWindow() == m_app.window(); }, 3000))
        << "the restored window has no focus";
    EXPECT_EQ(m_app.copyField(Role::HexField, QStringLiteral("#FF8000")),
              QStringLiteral("#FF8000"));
}

}  // namespace
}  // namespace e2e
