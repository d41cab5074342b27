// SPDX-License-Identifier: MIT
// Picking from the real screen with real pointer events: exact device pixels
// on large and scaled screens, the frozen copy, cancelling and opening.
#include <gtest/gtest.h>

#include "harness/printers.h"
#include "pattern_desk.h"

namespace e2e {
namespace {

// ---------------------------------------------------------------- sample mode

TEST(CapturePick, PicksExactPixelsOnA2560x1600ScreenUpToTheLastColumnAndRow) {
    const QSize screen(2560, 1600);
    PatternDesk desk({.screen = screen});
    START(desk);

    // The window covers the whole screen with no frame.
    ASSERT_TRUE(desk.openCapture(Role::SampleButton));
    const std::optional<XWindow> capture = desk.waitCapture();
    ASSERT_TRUE(capture);
    EXPECT_EQ(desk.session().x().geometry(*capture), QRect(QPoint(0, 0), screen));
    ASSERT_TRUE(desk.clickAt({0, 0}, 3));
    ASSERT_TRUE(desk.captureGone());

    for (QPoint p : spotsOutside(desk, screen,
                                 {{2559, 1599},
                                  {0, 0},
                                  {2559, 0},
                                  {0, 1599},
                                  {1, 1},
                                  {1600, 1599},
                                  {2558, 1598},
                                  {257, 1283},
                                  {1999, 77},
                                  {1024, 1024}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

// Two monitors side by side, the scale factor as the user set it.
class ScaledPick : public ::testing::TestWithParam<const char*> {};

TEST_P(ScaledPick, PicksTheExactDevicePixelOnEveryMonitor) {
    const QSize screen(2560, 1024);
    PatternDesk desk({.screen = screen,
                      .monitors = {{.geometry = {0, 0, 1280, 1024}, .primary = true},
                                   {.geometry = {1280, 0, 1280, 1024}}},
                      .scale = QString::fromLatin1(GetParam())});
    START(desk);

    // One window over both monitors, showing the screen exactly as it was:
    // not a pixel shifted, scaled or smoothed.
    const QImage before = desk.session().screenshot();
    ASSERT_FALSE(before.isNull());
    const std::optional<XWindow> capture = desk.openCapture(Role::SampleButton);
    ASSERT_TRUE(capture);
    const std::optional<QRect> covered = desk.session().x().geometry(*capture);
    ASSERT_TRUE(covered);
    EXPECT_TRUE(covered->contains(QRect(QPoint(0, 0), screen)))
        << covered->width() << "x" << covered->height() << "+" << covered->x() << "+"
        << covered->y();
    // The main window is left out: its text caret blinks.
    const QRect mainArea(desk.main(), QSize(qCeil(400 * desk.scale()), qCeil(300 * desk.scale())));
    const auto firstDifference = [&](const QImage& during) -> std::optional<QPoint> {
        if (during.size() != before.size()) {
            return QPoint(-1, -1);
        }
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x) {
                if (during.pixel(x, y) != before.pixel(x, y) && !mainArea.contains(x, y)) {
                    return QPoint(x, y);
                }
            }
        }
        return std::nullopt;
    };
    std::optional<QPoint> differs;
    EXPECT_TRUE(pollUntil(
        [&] { return !(differs = firstDifference(desk.session().screenshot())).has_value(); },
        3000))
        << "first differing pixel: " << differs->x() << "," << differs->y();
    ASSERT_TRUE(desk.clickAt({5, 5}, 3));
    ASSERT_TRUE(desk.captureGone());

    // Odd device pixels, which logical positions skip at these scales, the
    // edges of both monitors and the last column and row of the desktop.
    for (QPoint p : spotsOutside(desk, screen,
                                 {{1, 1},
                                  {3, 1021},
                                  {1279, 1023},
                                  {1280, 0},
                                  {1281, 513},
                                  {2559, 1023},
                                  {2557, 3},
                                  {1919, 767},
                                  {641, 99}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledPick, ::testing::Values("1", "1.5", "2"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             // Test names take letters, digits and underscores only.
                             std::string name = std::string("x") + info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(CapturePick, PicksExactPixelsAtScale1_25) {
    const QSize screen(1920, 1080);
    PatternDesk desk({.screen = screen, .scale = QStringLiteral("1.25")});
    START(desk);
    for (QPoint p : spotsOutside(desk, screen, {{1, 1}, {2, 2}, {3, 3}, {1919, 1079}, {1001, 5}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

// ---------------------------------------------------------------- frozen copy, cancel

TEST(CapturePick, PicksTheFrozenCopyAndEachOpeningTakesAFreshOne) {
    PatternDesk desk({});
    START(desk);
    const QPoint p(100, 900);

    ASSERT_TRUE(desk.openCapture(Role::SampleButton));
    // The screen changes under the open window: the pick is the old pixel.
    ASSERT_EQ(desk.showPattern(true, false), QString());
    ASSERT_TRUE(desk.clickAt(p));
    ASSERT_TRUE(desk.captureGone());
    ASSERT_EQ(desk.waitPatternDrawn(), QString());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));

    // The next opening shows the changed screen.
    EXPECT_EQ(desk.sample(p, pattern(p, true)), notation(pattern(p, true)));
}

TEST(CapturePick, RightPressCancelsWithTheColourUntouchedAndNothingReopens) {
    PatternDesk desk({});
    START(desk);
    const QString before = desk.copied(QStringLiteral("color = #123456"));
    ASSERT_EQ(before, QStringLiteral("color = #123456"));

    // Cancel on the frozen image of the sample button itself: its release
    // must not reach the real button underneath.
    ASSERT_TRUE(desk.openCapture(Role::SampleButton));
    ASSERT_TRUE(desk.clickAt(desk.onMain(centre(Role::SampleButton)), 3));
    EXPECT_TRUE(desk.captureGone());
    EXPECT_FALSE(desk.waitCapture(500)) << "the release opened it again";
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));

    // Keys do nothing either.
    ASSERT_TRUE(desk.openCapture(Role::SampleButton));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Escape")));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Return")));
    EXPECT_TRUE(desk.staysOpen()) << "a key closed the window";
    ASSERT_TRUE(desk.clickAt({5, 5}, 3));
    EXPECT_TRUE(desk.captureGone());
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));
}

// ---------------------------------------------------------------- opening

TEST(CapturePick, OpensOnReleaseForAnyButtonEvenAwayFromTheButton) {
    PatternDesk desk({});
    START(desk);

    // The right button on the sample button opens it in sample mode.
    ASSERT_TRUE(desk.openCapture(Role::SampleButton, 3));
    const QPoint p(100, 900);
    ASSERT_TRUE(desk.clickAt(p));
    ASSERT_TRUE(desk.captureGone());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));

    // Pressed on the magnifier, released far away: it opens, in magnify mode
    // (the first click shows the lens and picks nothing).
    XSession& s = desk.session();
    ASSERT_TRUE(s.mouseMove(desk.onMain(centre(Role::MagnifyButton))) && s.mouseDown(1));
    ASSERT_TRUE(s.mouseMove({1800, 1000}) && s.mouseUp(1));
    ASSERT_TRUE(desk.waitCapture());
    ASSERT_TRUE(desk.clickAt({1500, 120}));
    EXPECT_TRUE(desk.staysOpen()) << "a magnify-mode click on the capture picked";
    ASSERT_TRUE(desk.clickAt({1500, 120}, 3));
    ASSERT_TRUE(desk.captureGone());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));
}

}  // namespace
}  // namespace e2e
