// SPDX-License-Identifier: MIT
// The main window as the desktop sees it: where it maps, how big, without a
// frame, and which settings file it reads.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegion>
#include <QSet>

#include "harness/printers.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e {
namespace {

const QByteArray kOrange = "[settings]\nlastcolor=FF8000\n";

// Starts huepick in its session and waits for its main window.
#define START_AND_FIND(app) ASSERT_TRUE((app).launch()) << (app).error().toStdString()

TEST(MainWindowMap, OpensFramelessAt400x300InTheScreenCentre) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = kOrange});
    START_AND_FIND(app);

    EXPECT_EQ(app.geometry(), QRect(440, 362, 400, 300));

    // A frame would be a bigger parent window, or non-zero extents.
    XConnection& x = session.x();
    const XWindow parent = x.parent(app.window());
    if (parent != x.root()) {
        EXPECT_EQ(x.geometry(parent), QRect(440, 362, 400, 300)) << "the window manager's frame";
    }
    std::optional<std::vector<std::uint32_t>> extents;
    ASSERT_TRUE(pollUntil(
        [&] { return (extents = x.cardinals(app.window(), "_NET_FRAME_EXTENTS")).has_value(); },
        2000))
        << "openbox sets _NET_FRAME_EXTENTS on every window it manages";
    EXPECT_EQ(*extents, (std::vector<std::uint32_t>{0, 0, 0, 0}));
}

TEST(MainWindowMap, IsCutToItsSkinSoTheKeyColourNeverShows) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QImage desktop = session.screenshot();
    ASSERT_FALSE(desktop.isNull());
    XAppRun app(session, {.ini = kOrange});
    START_AND_FIND(app);
    const std::optional<QRect> where = app.geometry();
    ASSERT_TRUE(where.has_value());
    const std::optional<std::vector<QRect>> rects = session.x().boundingShape(app.window());
    ASSERT_TRUE(rects.has_value());
    QRegion shape;
    for (const QRect& r : *rects) {
        shape += r;
    }
    ASSERT_NE(shape, QRegion(0, 0, 400, 300)) << "the window is not shaped";

    // The art has many colours, an unpainted window one; wait for the paint.
    QImage shot;
    const auto painted = [&] {
        shot = session.screenshot();
        QSet<QRgb> colours;
        for (int y = 0; y < 300 && colours.size() < 16; y += 7) {
            for (int x = 0; x < 400; x += 7) {
                colours.insert(shot.pixel(where->topLeft() + QPoint(x, y)));
            }
        }
        return colours.size() >= 16;
    };
    ASSERT_TRUE(pollUntil(painted, 5000, 50)) << "the window never got its skin";

    int keyPixels = 0;
    int holesNotSeeThrough = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            const QPoint onScreen = where->topLeft() + QPoint(x, y);
            const QRgb seen = shot.pixel(onScreen) & RGB_MASK;
            keyPixels += seen == (qRgb(1, 255, 1) & RGB_MASK);
            if (!shape.contains(QPoint(x, y))) {
                holesNotSeeThrough += seen != (desktop.pixel(onScreen) & RGB_MASK);
            }
        }
    }
    EXPECT_EQ(keyPixels, 0);
    EXPECT_EQ(holesNotSeeThrough, 0) << "the cut-away parts must show the desktop";
}

TEST(MainWindowMap, CentresItselfWithoutAWindowManager) {
    // Openbox may centre new windows on its own; without it the program
    // has to.
    XSession session({.screenSize = {1024, 768}, .windowManager = false});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = kOrange});
    START_AND_FIND(app);

    EXPECT_EQ(app.geometry(), QRect(312, 234, 400, 300));
    EXPECT_EQ(session.x().parent(app.window()), session.x().root()) << "nothing reparents it";
}

TEST(MainWindowMap, CentresOnThePrimaryMonitor) {
    // Two monitors side by side, the primary on the right: neither the first
    // monitor nor the whole desktop is the place.
    XSession session({.screenSize = {2304, 1024},
                      .monitors = {{.geometry = {0, 0, 1280, 1024}},
                                   {.geometry = {1280, 0, 1024, 768}, .primary = true}}});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = kOrange});
    START_AND_FIND(app);

    EXPECT_EQ(app.geometry(), QRect(1280 + 312, 234, 400, 300));
}

TEST(MainWindowMap, ScaleFactorTwoDoublesTheWindowInDevicePixels) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = kOrange,
                          .env = {{QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2")}}});
    START_AND_FIND(app);

    // The logical screen is 640 x 512, so the centred window starts at
    // (120, 106) logical pixels.
    EXPECT_EQ(app.geometry(), QRect(240, 212, 800, 600));
}

TEST(MainWindowSettings, ReadsTheFileBesideTheExecutableNotInTheWorkingFolder) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=ABC\n"});
    {
        QFile decoy(app.workDir() + QStringLiteral("/huepick.ini"));
        ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
        decoy.write("[settings]\nlastcolor=123456\n");
    }
    START_AND_FIND(app);

    // A right-button press on the hexadecimal field copies its text, which
    // is the stored text as read, "#" in front.
    EXPECT_EQ(app.copyField(Role::HexField, QStringLiteral("#ABC")), QStringLiteral("#ABC"));
}

}  // namespace
}  // namespace e2e
