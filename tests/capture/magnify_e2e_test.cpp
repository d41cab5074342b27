// SPDX-License-Identifier: MIT
// Picking through the lens on the real screen: where it shows, what it
// shows, and that its click picks the device pixel it shows.
#include <gtest/gtest.h>

#include "harness/printers.h"
#include "pattern_desk.h"

namespace e2e {
namespace {

// ---------------------------------------------------------------- magnify mode

TEST(CapturePick, MagnifierShowsTheLensBesideTheMainWindowAndPicksThroughIt) {
    PatternDesk desk({});
    START(desk);
    // The lens lies over the main window's image in the frozen copy, so what
    // it enlarges there is this.
    const QImage before = desk.session().screenshot();
    ASSERT_FALSE(before.isNull());
    const QPoint first(1500, 120);
    const QPoint lens = desk.lensOrigin();
    ASSERT_EQ(lens, desk.main() + QPoint(160, 65));

    ASSERT_TRUE(desk.openCapture(Role::MagnifyButton));
    ASSERT_TRUE(desk.clickAt(first));
    EXPECT_TRUE(desk.staysOpen()) << "the first click only shows the lens";
    QImage shot;
    ASSERT_TRUE(pollUntil(
        [&] {
            shot = desk.session().screenshot();
            return !shot.isNull() && (shot.pixel(lens + QPoint(75, 75)) & 0xFFFFFF) ==
                                         (pattern(first + QPoint(8, 8)) & 0xFFFFFF);
        },
        3000))
        << "the lens is not drawn at the main window + (160, 65)";
    // Lens pixel d shows source pixel floor(d * 20 / 150) of the block from
    // (x - 2, y - 2); checked well inside the disc.
    for (int dy = 40; dy < 110; dy += 7) {
        for (int dx = 40; dx < 110; dx += 7) {
            const QPoint source = first - QPoint(2, 2) + QPoint(dx * 20 / 150, dy * 20 / 150);
            ASSERT_EQ(shot.pixel(lens + QPoint(dx, dy)) & 0xFFFFFF, pattern(source) & 0xFFFFFF)
                << "lens pixel " << dx << "," << dy;
        }
    }
    // Outside the lens the frozen screen is unchanged.
    EXPECT_EQ(shot.pixel(lens + QPoint(1, 1)), before.pixel(lens + QPoint(1, 1)));
    EXPECT_EQ(shot.pixel(first), before.pixel(first));

    // Lens offset (19, 19) shows the clicked pixel itself, but lies in the
    // square's corner outside the disc: it is a click on the capture there,
    // which redraws the lens, in the same place, for that point.
    const QPoint corner = lens + QPoint(19, 19);
    ASSERT_TRUE(desk.clickAt(corner));
    EXPECT_TRUE(desk.staysOpen()) << "a click outside the disc picked";
    EXPECT_TRUE(pollUntil(
        [&] {
            shot = desk.session().screenshot();
            return !shot.isNull() &&
                   shot.pixel(lens + QPoint(75, 75)) == before.pixel(corner + QPoint(8, 8));
        },
        3000))
        << "the lens does not show the corner's neighbourhood";

    // A click inside the disc picks the source pixel that lens pixel shows.
    ASSERT_TRUE(desk.clickAt(lens + QPoint(75, 75)));
    ASSERT_TRUE(desk.captureGone());
    const QRgb picked = before.pixel(corner + QPoint(8, 8));
    EXPECT_EQ(desk.copied(notation(picked)), notation(picked));
}

TEST(CapturePick, MagnifierFirstClickChangesNothing) {
    PatternDesk desk({});
    START(desk);
    ASSERT_TRUE(desk.openCapture(Role::MagnifyButton));
    ASSERT_TRUE(desk.clickAt({1500, 120}));
    EXPECT_TRUE(desk.staysOpen());
    ASSERT_TRUE(desk.clickAt({1500, 120}, 3));
    ASSERT_TRUE(desk.captureGone());
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));
}

TEST(CapturePick, MagnifierAtScale1_5PicksTheDevicePixelTheLensShows) {
    PatternDesk desk({.scale = QStringLiteral("1.5")});
    START(desk);
    const QPoint first(1501, 121);
    ASSERT_TRUE(desk.openCapture(Role::MagnifyButton));
    ASSERT_TRUE(desk.clickAt(first));
    EXPECT_TRUE(desk.staysOpen());
    // The lens is 225 device pixels across and shows 20 device pixels: lens
    // pixel 113 shows block pixel floor(113 * 20 / 225) = 10.
    const QPoint inside = desk.lensOrigin() + QPoint(113, 113);
    ASSERT_TRUE(desk.clickAt(inside));
    ASSERT_TRUE(desk.captureGone());
    const QRgb picked = pattern(first + QPoint(8, 8));
    EXPECT_EQ(desk.copied(notation(picked)), notation(picked));
}

}  // namespace
}  // namespace e2e
