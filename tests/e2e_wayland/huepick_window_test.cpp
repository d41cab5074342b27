// SPDX-License-Identifier: MIT
// Huepick itself on a headless Wayland desktop: its window shows only its
// artwork, it stores its colour, copies notations, hides and comes back, and
// stays the only one when huepick is started again.
#include <gtest/gtest.h>

#include <QImage>
#include <iostream>

#include "core/layout.h"
#include "huepick_in_session.h"
#include "sway_required.h"

namespace e2e::wayland {
namespace {

using huepick::layout::Role;
using huepick::layout::windowRect;

const QRgb kBackground = qRgb(0x33, 0x66, 0x99);
const QRgb kKey = qRgb(1, 255, 1);

QPointF centreOf(Role role) {
    return QRectF(windowRect(role)).center();
}

class ShapeAtScale : public ::testing::TestWithParam<int> {};

// Where the artwork has its key colour (outside the palette and in its thumb
// hole) the desktop shows through; everywhere else the artwork shows.
TEST_P(ShapeAtScale, DesktopShowsThroughTheOutlineAndTheHole) {
    SKIP_WITHOUT_SWAY();
    const int scale = GetParam();
    WaylandSession session({.scale = scale, .portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    HuepickInSession app(session, iniWithColour("FF8000"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();
    ASSERT_EQ(app.window().size(), QSize(400, 300));

    const QImage skin(QStringLiteral(HUEPICK_SOURCE_DIR "/assets/skin/skin%1.png")
                          .arg(scale == 2 ? QStringLiteral("@2x") : QString()));
    ASSERT_EQ(skin.size(), QSize(400, 300) * scale);
    const QImage shot = session.screenshot().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = app.window().topLeft() * scale;
    int outside = 0;
    int wrong = 0;
    for (int y = 0; y < skin.height(); ++y) {
        for (int x = 0; x < skin.width(); ++x) {
            const bool key = (skin.pixel(x, y) & 0xFFFFFF) == (kKey & 0xFFFFFF);
            const QRgb seen = shot.pixel(origin + QPoint(x, y)) | 0xFF000000u;
            outside += key;
            if (key ? seen != kBackground : seen == kBackground || seen == (kKey | 0xFF000000u)) {
                ++wrong;
            }
        }
    }
    std::cout << outside << " pixels outside the shape\n";
    EXPECT_GT(outside, 1000);
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, ShapeAtScale, ::testing::Values(1, 2));

TEST(HuepickOnWayland, FunctionKeyCopiesAndTheColourIsStoredOnClose) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    HuepickInSession app(session, iniWithColour("FF8000"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();

    // The compositor gives the keyboard on a click; pointing then focuses the
    // hex field within the program.
    ASSERT_TRUE(app.click(centreOf(Role::HexField)));
    ASSERT_TRUE(app.keyAt(centreOf(Role::HexField), QStringLiteral("F1")));
    EXPECT_TRUE(pollUntil([&] { return session.clipboard() == u"color = #FF8000"; }, 3000))
        << session.clipboard().value_or(QStringLiteral("(nothing)")).toStdString();
    EXPECT_EQ(app.copyField(centreOf(Role::GreenField)), QStringLiteral("128"));

    // Typed and applied, then closed with the close button.
    ASSERT_TRUE(app.click(centreOf(Role::HexField)));
    ASSERT_TRUE(session.key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(session.type(QStringLiteral("#12AB34")));
    ASSERT_TRUE(session.key(QStringLiteral("Return")));
    EXPECT_TRUE(pollUntil([&] { return app.copyField(centreOf(Role::RedField)) == u"18"; }, 3000));
    ASSERT_TRUE(app.click(centreOf(Role::CloseButton)));
    EXPECT_EQ(app.waitExit(), 0) << app.stderrText().toStdString();
    EXPECT_EQ(app.storedColour(), QStringLiteral("12AB34"));
}

// The compositor moves the window; it takes over from the press a moment
// later, so the window follows only the motion after that.
TEST(HuepickOnWayland, DragOnTheBackgroundMovesTheWindow) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    HuepickInSession app(session, iniWithColour("FF8000"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();
    const QRect before = app.window();
    const QPointF grabbed = app.at({200, 30});
    ASSERT_TRUE(session.move(grabbed));
    ASSERT_TRUE(session.press(Qt::LeftButton));
    const auto place = [&] {
        const std::vector<QRect> now = session.windowsOf(app.program().pid());
        return now.empty() ? QPoint() : now.front().topLeft();
    };
    for (int step = 1; step <= 60; ++step) {
        ASSERT_TRUE(session.move(grabbed + QPointF(-4 * step, 3 * step)));
        pollUntil([&] { return place() != before.topLeft(); }, step < 30 ? 20 : 0);
    }
    ASSERT_TRUE(session.release(Qt::LeftButton));
    const QPoint moved = place() - before.topLeft();
    EXPECT_LT(moved.x(), -100) << app.stderrText().toStdString();
    EXPECT_GT(moved.y(), 75);
    EXPECT_EQ(moved.x() * 3, -moved.y() * 4) << "the window follows the pointer's own path";
}

TEST(HuepickOnWayland, SignalStoresTheColourToo) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    HuepickInSession app(session, iniWithColour("0A0B0C"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();
    ASSERT_TRUE(app.click(QRectF(windowRect(Role::BlueUp)).center()));
    ASSERT_EQ(app.copyField(centreOf(Role::BlueField)), QStringLiteral("13"));
    app.program().process().terminate();
    EXPECT_EQ(app.waitExit(), 0) << app.stderrText().toStdString();
    EXPECT_EQ(app.storedColour(), QStringLiteral("0A0B0D"));
}

// One huepick per user and display: a second start hands over and exits.
TEST(SecondStart, ExitsAtOnceAndTheFirstStaysTheOnlyWindow) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    HuepickInSession app(session, iniWithColour("FF8000"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();

    std::unique_ptr<SessionProgram> second = app.run({});
    ASSERT_TRUE(second) << app.error().toStdString();
    EXPECT_EQ(second->waitExit(5000), 0) << second->stderrText().toStdString();
    EXPECT_TRUE(app.program().running());
    EXPECT_EQ(app.pickingWindows(), 0);
    ASSERT_EQ(session.windowsOf(app.program().pid()).size(), 1u);
    EXPECT_EQ(session.windowsOf(app.program().pid()).front(), app.window()) << "the window moved";
    ASSERT_TRUE(app.click(centreOf(Role::CloseButton)));
    EXPECT_EQ(app.waitExit(), 0) << app.stderrText().toStdString();
}

}  // namespace
}  // namespace e2e::wayland
