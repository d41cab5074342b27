// SPDX-License-Identifier: MIT
// Moving, hiding, restoring and closing the borderless window with the mouse.
#include <gtest/gtest.h>

#include "harness/desk.h"
#include "harness/printers.h"
#include "harness/process.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).open()) << (desk).error().toStdString()

// A left-button drag from `from` (window point) by `offset`, in small steps.
bool drag(Desk& desk, QPoint from, QPoint offset) {
    XSession& s = desk.session();
    const std::optional<QPoint> start = desk.toScreen(from);
    if (!start || !desk.pointAt(from) || !s.mouseDown(1)) {
        return false;
    }
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        if (!s.mouseMove(*start + offset * i / kSteps)) {
            return false;
        }
    }
    return true;
}

struct DragCase {
    const char* name;
    bool windowManager;
    friend void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }
};

class Dragging : public ::testing::TestWithParam<DragCase> {};

TEST_P(Dragging, BackgroundDragMovesByThePointerOffsetAndAFieldDragDoesNot) {
    Desk desk({.windowManager = GetParam().windowManager}, {.ini = iniWithColour("FF8000")});
    START(desk);
    const std::optional<QRect> before = desk.geometry();
    ASSERT_TRUE(before.has_value());
    const QPoint offset(60, 40);

    ASSERT_TRUE(drag(desk, *desk.background(), offset));
    const QPoint expected = before->topLeft() + offset;
    const auto arrived = [&] {
        const std::optional<QRect> g = desk.geometry();
        return g && (g->topLeft() - expected).manhattanLength() <= 1;
    };
    EXPECT_TRUE(pollUntil(arrived, 3000))
        << "at " << ::testing::PrintToString(desk.geometry()) << ", expected near "
        << ::testing::PrintToString(expected);
    ASSERT_TRUE(desk.session().mouseUp(1));

    // Released: moving on without a button leaves the window where it is.
    const std::optional<QRect> dropped = desk.geometry();
    ASSERT_TRUE(dropped.has_value());
    const auto movedAway = [&] { return desk.geometry() != dropped; };
    ASSERT_TRUE(desk.pointAt(*desk.background() + QPoint(0, 3)));
    ASSERT_TRUE(desk.pointAt(*desk.background() + QPoint(3, 0)));
    // The copy shows that the program has handled the movements; the window
    // manager may still be placing the window a little later.
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("128")), QStringLiteral("128"));
    EXPECT_FALSE(pollUntil(movedAway, 300)) << "the window still follows the pointer";

    ASSERT_TRUE(drag(desk, centre(Role::RedField), offset));
    ASSERT_TRUE(desk.session().mouseUp(1));
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("128")), QStringLiteral("128"));
    EXPECT_FALSE(pollUntil(movedAway, 300)) << "a drag that starts on a field moved the window";
}

INSTANTIATE_TEST_SUITE_P(Desktops, Dragging,
                         ::testing::Values(DragCase{"Openbox", true},
                                           DragCase{"NoWindowManager", false}),
                         [](const ::testing::TestParamInfo<DragCase>& info) {
                             return info.param.name;
                         });

// The ICCCM state the window manager gives the window, as xprop prints it.
QString wmState(Desk& desk) {
    return desk.session()
        .tool(QStringLiteral("xprop"),
              {QStringLiteral("-id"), QString::number(desk.window()), QStringLiteral("WM_STATE")})
        .text();
}

TEST(HideToTray, RightClickHidesAndTheIconBringsTheWindowBackAsItWas) {
    Desk desk({.tray = true}, {.ini = iniWithColour("FF8000")});
    START(desk);
    std::optional<QRect> icon;
    ASSERT_TRUE(pollUntil([&] { return (icon = desk.session().trayIcon()).has_value(); }, 5000))
        << "no huepick icon in the tray";
    const std::optional<QRect> before = desk.geometry();

    ASSERT_TRUE(desk.click(*desk.background(), 3));
    ASSERT_TRUE(desk.waitViewable(false)) << "the right click did not hide the window";
    EXPECT_TRUE(desk.running());
    EXPECT_TRUE(desk.session().trayIcon().has_value()) << "the icon went with the window";
    EXPECT_FALSE(wmState(desk).contains(QLatin1String("Iconic")))
        << "minimised, though the tray could bring the window back";

    ASSERT_TRUE(desk.session().clickAt(icon->center()));
    ASSERT_TRUE(desk.waitViewable(true)) << "the icon click did not bring the window back";
    EXPECT_EQ(desk.geometry(), before);
    // The keys reach the restored window without any help from the test.
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));
}

TEST(HideWithoutTray, RightClickMinimisesAndTheWindowCanBeRestored) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    const std::optional<QRect> before = desk.geometry();

    ASSERT_TRUE(desk.click(*desk.background(), 3));
    ASSERT_TRUE(desk.waitViewable(false)) << "the right click did not take the window away";
    EXPECT_TRUE(desk.running());
    EXPECT_TRUE(wmState(desk).contains(QLatin1String("Iconic"))) << wmState(desk).toStdString();

    ASSERT_TRUE(desk.session().activate(desk.window()));
    ASSERT_TRUE(desk.waitViewable(true));
    EXPECT_EQ(desk.geometry(), before);
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));
}

// The button comes up only once the window is gone, so the release goes
// elsewhere; the restored window must not act as if it were still held.
TEST(HideWithoutTray, ASlowRightClickLeavesNoButtonHeld) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(desk.pointAt(*desk.background()));
    ASSERT_TRUE(desk.session().mouseDown(3));
    ASSERT_TRUE(desk.waitViewable(false));
    ASSERT_TRUE(desk.session().mouseUp(3));

    ASSERT_TRUE(desk.session().activate(desk.window()));
    ASSERT_TRUE(desk.waitViewable(true));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));
}

struct CloseCase {
    const char* name;
    // Where the right button comes up, relative to the close button's centre.
    QPoint releaseOffset;
    friend void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
};

class CloseButton : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseButton, RightButtonEndsTheProgramAndStoresTheColour) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    // A colour the file did not hold, so only the exit can have stored it.
    ASSERT_TRUE(desk.click(Role::GreenUp));
    ASSERT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8100")),
              QStringLiteral("color = #FF8100"));

    ASSERT_TRUE(desk.pointAt(Role::CloseButton));
    ASSERT_TRUE(desk.session().mouseDown(3));
    if (!GetParam().releaseOffset.isNull()) {
        ASSERT_TRUE(desk.pointAt(centre(Role::CloseButton) + GetParam().releaseOffset));
    }
    ASSERT_TRUE(desk.session().mouseUp(3));

    const ExitInfo exit = desk.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "still running after the close button";
    EXPECT_FALSE(exit.crashed);
    EXPECT_EQ(exit.code, 0) << desk.stderrText().toStdString();
    EXPECT_EQ(desk.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("FF8100"));
}

INSTANTIATE_TEST_SUITE_P(Releases, CloseButton,
                         ::testing::Values(CloseCase{"OnTheButton", {}},
                                           // Below the window, outside it.
                                           CloseCase{"OutsideTheWindow", {0, 200}}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace e2e
