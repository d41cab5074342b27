// SPDX-License-Identifier: MIT
// The headless Wayland session itself: it comes up at both scales, shows its
// background pixel for pixel, hides the pointer, and delivers clicks, keys
// and the clipboard to a real client.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <iostream>

#include "sway_required.h"
#include "wayland_session.h"

namespace e2e::wayland {
namespace {

const QColor kBackground(0x33, 0x66, 0x99);

// Every pixel says where it is: red and green the low bits of x and y, blue
// their high bits.
QImage coordinatePattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x >> 8) | ((y >> 8) << 4)));
        }
    }
    return image;
}

class SessionAtScale : public ::testing::TestWithParam<int> {};

TEST_P(SessionAtScale, BackgroundCoversTheOutputAndThePointerIsInvisible) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.scale = GetParam(), .portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    std::cout << "session up in " << session.startupMs() << " ms\n";

    const QSize logical = session.logicalSize();
    EXPECT_EQ(logical, QSize(1920, 1080) / GetParam());
    for (QPoint p : {QPoint(0, 0), QPoint(logical.width() - 1, logical.height() - 1),
                     QPoint(logical.width() / 3, logical.height() / 2)}) {
        EXPECT_EQ(session.pixel(p), kBackground) << p.x() << "," << p.y();
    }

    // The compositor draws the pointer into screenshots unless its theme is blank.
    const QPoint centre(logical.width() / 2, logical.height() / 2);
    ASSERT_TRUE(session.move(centre));
    const QImage shot = session.screenshot();
    ASSERT_EQ(shot.size(), QSize(1920, 1080));
    const QPoint device = centre * GetParam();
    int differing = 0;
    for (int y = device.y() - 8; y < device.y() + 64; ++y) {
        for (int x = device.x() - 8; x < device.x() + 64; ++x) {
            differing += shot.pixel(x, y) != kBackground.rgb();
        }
    }
    EXPECT_EQ(differing, 0) << "pixels around the pointer differ from the background";
}

INSTANTIATE_TEST_SUITE_P(Scales, SessionAtScale, ::testing::Values(1, 2));

TEST(Session, ImageBackgroundOfTheOutputSizeShowsPixelForPixelAtScaleTwo) {
    SKIP_WITHOUT_SWAY();
    const QImage pattern = coordinatePattern(QSize(1920, 1080));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("pattern.png"));
    ASSERT_TRUE(pattern.save(file));
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);

    SessionOptions options;
    options.scale = 2;
    options.portal = Portal::Absent;
    options.backgroundImage = file;
    WaylandSession session(options);
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QImage shot = session.screenshot().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), pattern.size());
    int wrong = 0;
    for (int y = 0; y < shot.height(); y += 7) {
        for (int x = 0; x < shot.width(); x += 5) {
            wrong += shot.pixel(x, y) != pattern.pixel(x, y);
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Session, ClipboardIsEmptyThenHoldsWhatWasCopied) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();

    EXPECT_EQ(session.clipboard(), std::nullopt);
    const QString first = QStringLiteral("#336699 héllo ✓");
    ASSERT_TRUE(session.setClipboard(first));
    EXPECT_EQ(session.clipboard(), first);
    ASSERT_TRUE(session.setClipboard(QStringLiteral("second")));
    EXPECT_EQ(session.clipboard(), QStringLiteral("second"));
}

TEST(Session, XWaylandAnswersOnItsDisplayOnlyWhenAskedFor) {
    SKIP_WITHOUT_SWAY();
    SessionOptions options;
    options.portal = Portal::Absent;
    EXPECT_FALSE(WaylandSession(options).environment().contains(QStringLiteral("DISPLAY")));
    options.xwayland = true;
    WaylandSession session(options);
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QString display = session.environment().value(QStringLiteral("DISPLAY"));
    ASSERT_TRUE(display.startsWith(u':')) << display.toStdString();
    // XWayland itself starts on the first client.
    const ToolResult info = session.tool(QStringLiteral("xdpyinfo"), {}, 10000);
    EXPECT_TRUE(info.ok()) << info.describe().toStdString();
    EXPECT_TRUE(info.text().contains(QStringLiteral("dimensions:    1920x1080 pixels")))
        << info.text().left(600).toStdString();
}

class InputAtScale : public ::testing::TestWithParam<int> {};

TEST_P(InputAtScale, ClicksArriveAtFractionalPositionsAndKeysAtTheFocusedWindow) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.scale = GetParam(), .portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    QString why;
    auto probe = session.run(QStringLiteral(PROBE_WINDOW_BIN), {}, &why);
    ASSERT_TRUE(probe) << why.toStdString();
    const auto shown = probe->waitLine(QStringLiteral("shown"));
    ASSERT_TRUE(shown) << probe->stderrText().toStdString();
    EXPECT_EQ(*shown, QStringLiteral("shown 320 200 %1").arg(GetParam()));
    const auto rect = session.waitWindow(probe->pid());
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->size(), QSize(320, 200));

    const struct {
        QPointF at;
        Qt::MouseButton button;
        const char* name;
    } clicks[] = {{{10.25, 20.5}, Qt::LeftButton, "left"},
                  {{100.5, 50.75}, Qt::RightButton, "right"},
                  {{200.0, 150.125}, Qt::MiddleButton, "middle"}};
    for (const auto& c : clicks) {
        ASSERT_TRUE(session.click(QPointF(rect->topLeft()) + c.at, c.button));
        const QString where =
            QStringLiteral("%1 %2").arg(c.at.x(), 0, 'f', 4).arg(c.at.y(), 0, 'f', 4);
        EXPECT_EQ(probe->waitLine(QStringLiteral("press")),
                  QStringLiteral("press %1 %2").arg(QLatin1String(c.name), where))
            << probe->lines().join(u'\n').toStdString();
        EXPECT_EQ(probe->waitLine(QStringLiteral("release")),
                  QStringLiteral("release %1 %2").arg(QLatin1String(c.name), where));
    }

    ASSERT_TRUE(session.key(QStringLiteral("a")));
    EXPECT_EQ(probe->waitLine(QStringLiteral("key")), QStringLiteral("key A a"));
    ASSERT_TRUE(session.key(QStringLiteral("ctrl+c")));
    const auto copy = probe->waitLine(QStringLiteral("key Ctrl+C"));
    EXPECT_TRUE(copy) << probe->lines().join(u'\n').toStdString();
    // wtype's keymap has one level per key, so Shift+Tab stays Tab (a real
    // keyboard gives Backtab) and shift+b types "b": text goes through type().
    ASSERT_TRUE(session.key(QStringLiteral("shift+Tab")));
    const auto back = probe->waitLine(QStringLiteral("key Shift+Tab"));
    EXPECT_TRUE(back) << probe->lines().join(u'\n').toStdString();
    ASSERT_TRUE(session.type(QStringLiteral("Zé")));
    EXPECT_EQ(probe->waitLine(QStringLiteral("key")), QStringLiteral("key Z Z"));
    EXPECT_EQ(probe->waitLine(QStringLiteral("key")), QStringLiteral("key É é"));
}

INSTANTIATE_TEST_SUITE_P(Scales, InputAtScale, ::testing::Values(1, 2));

}  // namespace
}  // namespace e2e::wayland
