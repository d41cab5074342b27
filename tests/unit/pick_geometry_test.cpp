// SPDX-License-Identifier: MIT
// The arithmetic of picking: which capture pixel each lens pixel shows, where
// the disc ends, and how logical and device pixels meet at fractional scales
// and on desktops that start left of or above the origin.
#include "core/pick_geometry.h"

#include <gtest/gtest.h>

#include <QtMath>
#include <cmath>
#include <set>

namespace huepick {
namespace {

// ---------------------------------------------------------------- lens mapping

TEST(LensMapping, EachSourcePixelCoversSevenOrEightLensPixelsInOrder) {
    std::vector<int> widths(lens::kBlock, 0);
    int previous = 0;
    for (int d = 0; d < lens::kSize; ++d) {
        const int s = lens::sourceIndex(d, lens::kSize);
        ASSERT_GE(s, previous) << "lens pixel " << d;
        ASSERT_LE(s - previous, 1) << "lens pixel " << d << " skips a source pixel";
        ASSERT_LT(s, lens::kBlock);
        previous = s;
        ++widths[s];
    }
    for (int s = 0; s < lens::kBlock; ++s) {
        EXPECT_TRUE(widths[s] == 7 || widths[s] == 8) << "source " << s << ": " << widths[s];
    }
    // floor(d * 20 / 150), as a nearest-neighbour stretch from 20 to 150 does.
    EXPECT_EQ(lens::sourceIndex(0, 150), 0);
    EXPECT_EQ(lens::sourceIndex(7, 150), 0);
    EXPECT_EQ(lens::sourceIndex(8, 150), 1);
    EXPECT_EQ(lens::sourceIndex(19, 150), 2);
    EXPECT_EQ(lens::sourceIndex(75, 150), 10);
    EXPECT_EQ(lens::sourceIndex(149, 150), 19);
}

TEST(LensMapping, TheClickedPixelIsTheThirdOfTheBlockAndFillsLensPixels15To22) {
    const QPoint click(500, 300);
    EXPECT_EQ(lens::blockOrigin(click), QPoint(498, 298));
    for (int d = 0; d < lens::kSize; ++d) {
        const QPoint shown = lens::sourcePixel(click, {d, d}, lens::kSize);
        EXPECT_EQ(shown == click, d >= 15 && d <= 22) << "lens pixel " << d;
    }
    EXPECT_EQ(lens::sourcePixel(click, {19, 19}, 150), click);
    EXPECT_EQ(lens::sourcePixel(click, {75, 75}, 150), QPoint(508, 308));
    EXPECT_EQ(lens::sourcePixel(click, {149, 0}, 150), QPoint(517, 298));
}

TEST(LensMapping, ShowsTwentyDevicePixelsAcrossAtEveryScale) {
    for (double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
        const int size = lens::deviceSize(ratio);
        EXPECT_EQ(size, qRound(150 * ratio)) << ratio;
        std::set<int> shown;
        for (int d = 0; d < size; ++d) {
            shown.insert(lens::sourceIndex(d, size));
        }
        EXPECT_EQ(shown.size(), 20u) << "ratio " << ratio;
        EXPECT_EQ(*shown.begin(), 0);
        EXPECT_EQ(*shown.rbegin(), 19);
    }
    EXPECT_EQ(lens::deviceSize(1.25), 188) << "187.5 rounds up";
}

TEST(LensMapping, SitsAt2400By970TwipsFromTheMainWindowInDevicePixels) {
    EXPECT_EQ(lens::deviceOrigin({100, 200}, 1.0), QPoint(260, 265));
    EXPECT_EQ(lens::deviceOrigin({100, 200}, 2.0), QPoint(420, 330));
    // 65 * 1.5 = 97.5 and 65 * 1.25 = 81.25 land on whole device pixels.
    EXPECT_EQ(lens::deviceOrigin({0, 0}, 1.5), QPoint(240, 98));
    EXPECT_EQ(lens::deviceOrigin({-1280, 0}, 1.25), QPoint(-1080, 81));
}

// ---------------------------------------------------------------- the disc

TEST(LensDisc, IsADiscOfDiameter148CentredInTheSquare) {
    const LensDisc disc = LensDisc::circle();
    for (int i = 0; i < lens::kSize; ++i) {
        EXPECT_FALSE(disc.contains({i, 0})) << "row 0, column " << i;
        EXPECT_FALSE(disc.contains({i, 149})) << "row 149";
        EXPECT_FALSE(disc.contains({0, i})) << "column 0";
        EXPECT_FALSE(disc.contains({149, i})) << "column 149";
    }
    for (int row = 70; row <= 79; ++row) {
        EXPECT_EQ(disc.rows()[row].first, 1) << row;
        EXPECT_EQ(disc.rows()[row].last, 148) << row;
    }
    // Symmetric left to right and top to bottom.
    for (int row = 0; row < lens::kSize; ++row) {
        const LensDisc::Span& span = disc.rows()[row];
        const LensDisc::Span& mirror = disc.rows()[149 - row];
        EXPECT_EQ(span.first, mirror.first) << row;
        EXPECT_EQ(span.last, mirror.last) << row;
        if (span.first <= span.last) {
            EXPECT_EQ(span.first + span.last, 149) << row;
        }
    }
    EXPECT_EQ(disc.rows()[1].first, 66);
    EXPECT_EQ(disc.rows()[2].first, 60);
    EXPECT_TRUE(disc.contains({75, 75}));
    EXPECT_FALSE(disc.contains({19, 19})) << "the corners belong to the capture";
    EXPECT_FALSE(disc.contains({-1, 75}));
    EXPECT_FALSE(disc.contains({75, 150}));
}

TEST(LensDisc, DevicePixelsAreJudgedWhereTheirCentreFallsAtEveryScale) {
    const LensDisc disc = LensDisc::circle();
    // At ratio 1 the device test is the logical one.
    for (int y = 0; y < lens::kSize; ++y) {
        for (int x = 0; x < lens::kSize; ++x) {
            ASSERT_EQ(disc.containsDevice({x, y}, 150), disc.contains({x, y})) << x << "," << y;
        }
    }
    for (double ratio : {1.25, 1.5, 2.0}) {
        const int size = lens::deviceSize(ratio);
        const int middle = size / 2;
        EXPECT_TRUE(disc.containsDevice({middle, middle}, size)) << ratio;
        EXPECT_FALSE(disc.containsDevice({0, 0}, size)) << ratio;
        EXPECT_FALSE(disc.containsDevice({size - 1, size - 1}, size)) << ratio;
        EXPECT_FALSE(disc.containsDevice({size, middle}, size)) << "outside the square";
        EXPECT_FALSE(disc.containsDevice({-1, middle}, size)) << "outside the square";
        // Row by row the device disc is one unbroken run, as wide as the
        // logical disc scaled, give or take one device pixel per side.
        for (int y = 0; y < size; ++y) {
            int first = -1;
            int last = -2;
            int count = 0;
            for (int x = 0; x < size; ++x) {
                if (disc.containsDevice({x, y}, size)) {
                    first = first < 0 ? x : first;
                    last = x;
                    ++count;
                }
            }
            ASSERT_EQ(count, last - first + 1) << "ratio " << ratio << " row " << y;
            const LensDisc::Span& logical = disc.rows()[(2 * y + 1) * 150 / (2 * size)];
            if (count > 0) {
                EXPECT_NEAR(first, logical.first * ratio, ratio + 1) << ratio << " row " << y;
            }
        }
    }
}

// ---------------------------------------------------------------- logical and device

TEST(ScreenMapping, FractionalRatiosLeaveDevicePixelsThatNoLogicalPointReaches) {
    // Why picks must not go through logical mouse positions.
    for (double ratio : {1.25, 1.5, 2.0}) {
        const ScreenMapping m{{0, 0}, ratio};
        std::set<int> reached;
        for (int logical = 0; logical < 100; ++logical) {
            reached.insert(m.toDevice({logical, 0}).x());
        }
        const int deviceSpan = m.toDevice({100, 0}).x();
        EXPECT_LT(static_cast<int>(reached.size()), deviceSpan) << ratio;
    }
}

TEST(ScreenMapping, KeepsTheScreenTopLeftAndScalesDistancesFromIt) {
    // A second monitor right of a first one of 1280 device pixels, at 1.5:
    // Qt puts its logical top-left at (1280, 0) too.
    const ScreenMapping right{{1280, 0}, 1.5};
    EXPECT_EQ(right.toDevice({1280, 0}), QPoint(1280, 0));
    EXPECT_EQ(right.toDevice({1281, 1}), QPoint(1282, 2)) << "1.5 rounds up";
    EXPECT_EQ(right.toDevice({1282, 2}), QPoint(1283, 3));
    EXPECT_EQ(right.toLogical({1283, 3}), QPoint(1282, 2));
    // Negative origins (a monitor left of or above the primary).
    const ScreenMapping left{{-1920, -200}, 2.0};
    EXPECT_EQ(left.toDevice({-1920, -200}), QPoint(-1920, -200));
    EXPECT_EQ(left.toDevice({-1900, -190}), QPoint(-1880, -180));
    EXPECT_EQ(left.toLogical({-1881, -181}), QPoint(-1900, -190));
}

TEST(ScreenMapping, CoveringRectanglesLeaveNoDevicePixelOut) {
    for (double ratio : {1.0, 1.25, 1.5, 2.0}) {
        for (QPoint origin : {QPoint(0, 0), QPoint(1280, 0), QPoint(-1366, -768)}) {
            const ScreenMapping m{origin, ratio};
            // The desktop and odd pieces of it.
            for (QRect device : {QRect(origin, QSize(2560, 1600)), QRect(origin, QSize(1, 1)),
                                 QRect(origin + QPoint(7, 3), QSize(33, 17)),
                                 QRect(origin + QPoint(2559, 1599), QSize(1, 1))}) {
                const QRect logical = m.logicalCovering(device);
                const QRect back = m.deviceCovering(logical);
                EXPECT_TRUE(back.contains(device))
                    << "ratio " << ratio << " origin " << origin.x() << "," << origin.y();
                // Not wastefully larger: less than one logical pixel per side.
                EXPECT_LE(back.width() - device.width(), qCeil(2 * ratio)) << ratio;
                EXPECT_LE(logical.width(), qCeil(device.width() / ratio) + 1) << ratio;
            }
        }
    }
    // A 2560 x 1600 desktop at 1.5 is 1707 x 1067 logical pixels.
    EXPECT_EQ(ScreenMapping({0, 0}, 1.5).logicalCovering(QRect(0, 0, 2560, 1600)),
              QRect(0, 0, 1707, 1067));
    EXPECT_EQ(ScreenMapping({0, 0}, 1.5).deviceCovering(QRect(1, 1, 1, 1)), QRect(1, 1, 2, 2))
        << "logical pixel 1 spans device 1.5 to 3";
}

// ---------------------------------------------------------------- the covering window

// Two monitors of 1280 x 1024 device pixels side by side at `ratio`, as Qt
// describes them: each keeps its top-left, its size shrinks.
std::vector<ScreenInfo> sideBySide(double ratio) {
    const QSize logical(qRound(1280 / ratio), qRound(1024 / ratio));
    return {{QRect(QPoint(0, 0), logical), ratio}, {QRect(QPoint(1280, 0), logical), ratio}};
}

TEST(CoveringWindow, QtAssignsTheScreenHoldingTheCentreElseTheLastOneOverlapped) {
    const std::vector<ScreenInfo> screens = sideBySide(1.5);  // 853 x 683 each
    EXPECT_EQ(screenForGeometry(screens, 0, QRect(0, 0, 100, 100)), 0);
    EXPECT_EQ(screenForGeometry(screens, 0, QRect(1300, 0, 100, 100)), 1);
    // The centre falls in the gap Qt's logical layout has between the two.
    EXPECT_EQ(screenForGeometry(screens, 0, QRect(0, 0, 1707, 683)), 1);
    EXPECT_EQ(screenForGeometry(screens, 0, QRect(900, 0, 100, 100)), 0) << "overlaps none";
    EXPECT_EQ(screenForGeometry(screens, 1, QRect(1300, 0, 10, 10)), 1);
}

TEST(CoveringWindow, MapsThroughTheScreenQtWillUseAndCoversEveryDevicePixel) {
    const QRect desktop(0, 0, 2560, 1024);
    for (double ratio : {1.0, 1.25, 1.5, 2.0}) {
        const std::vector<ScreenInfo> screens = sideBySide(ratio);
        for (int current : {0, 1}) {
            int chosen = -1;
            const QRect logical = coveringWindowGeometry(screens, current, desktop, &chosen);
            ASSERT_GE(chosen, 0);
            EXPECT_EQ(screenForGeometry(screens, current, logical), chosen)
                << "ratio " << ratio << ": Qt would map it through another screen";
            const QRect device = screens[chosen].mapping().deviceCovering(logical);
            EXPECT_TRUE(device.contains(desktop)) << "ratio " << ratio;
            EXPECT_LE(device.width() - desktop.width(), 3) << "ratio " << ratio;
        }
    }
    // At 1.5 the left monitor's mapping would put the window's centre in the
    // gap and Qt would use the right one: x = 1280 + (0 - 1280) * 1.5 = -640.
    int chosen = -1;
    const QRect logical = coveringWindowGeometry(sideBySide(1.5), 0, desktop, &chosen);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(logical, QRect(426, 0, 1708, 683));

    // One screen: its own geometry.
    EXPECT_EQ(coveringWindowGeometry({{QRect(0, 0, 1707, 1067), 1.5}}, 0, QRect(0, 0, 2560, 1600)),
              QRect(0, 0, 1707, 1067));
    EXPECT_EQ(coveringWindowGeometry({}, -1, desktop), desktop);
}

// ---------------------------------------------------------------- the virtual desktop

TEST(VirtualDesktop, SpansEveryScreenIncludingNegativeOffsets) {
    EXPECT_TRUE(virtualDesktop({}).isEmpty());
    EXPECT_EQ(virtualDesktop({{0, 0, 1920, 1080}}), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(virtualDesktop({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}), QRect(0, 0, 3200, 1080));
    // Left of and above the primary.
    EXPECT_EQ(virtualDesktop({{0, 0, 1920, 1080}, {-1280, -300, 1280, 1024}}),
              QRect(-1280, -300, 3200, 1380));
}

TEST(VirtualDesktop, PixelsAreIndexedFromTheDesktopsTopLeft) {
    const QRect desktop(-1280, -300, 3200, 1380);
    EXPECT_EQ(imagePixel({-1280, -300}, desktop), QPoint(0, 0));
    EXPECT_EQ(imagePixel({0, 0}, desktop), QPoint(1280, 300));
    EXPECT_EQ(imagePixel({1919, 1079}, desktop), QPoint(3199, 1379)) << "last column and row";
    EXPECT_EQ(imagePixel({1920, 0}, desktop), std::nullopt);
    EXPECT_EQ(imagePixel({-1281, 0}, desktop), std::nullopt);
    EXPECT_EQ(imagePixel({0, -301}, desktop), std::nullopt);
    EXPECT_EQ(imagePixel({0, 1080}, desktop), std::nullopt);
}

TEST(VirtualDesktop, ScreensInsideOthersAreNotGrabbedTwice) {
    // Two monitors and the whole-root monitor an X server may also report.
    EXPECT_EQ(screensToGrab({{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}, {0, 0, 2560, 1024}}),
              std::vector<int>{2});
    EXPECT_EQ(screensToGrab({{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}), (std::vector<int>{0, 1}));
    // Mirrors: the first of equal screens stays.
    EXPECT_EQ(screensToGrab({{0, 0, 1920, 1080}, {0, 0, 1920, 1080}}), std::vector<int>{0});
    // Overlapping but not contained: both.
    EXPECT_EQ(screensToGrab({{0, 0, 1920, 1080}, {1000, 0, 1920, 1080}}), (std::vector<int>{0, 1}));
    EXPECT_EQ(screensToGrab({{-1280, -300, 1280, 1024}, {0, 0, 1920, 1080}}),
              (std::vector<int>{0, 1}));
    EXPECT_TRUE(screensToGrab({}).empty());
}

}  // namespace
}  // namespace huepick
