// SPDX-License-Identifier: MIT
// Hiding to the notification area and coming back, on a Wayland desktop
// whose bar hosts StatusNotifierItems.
#include <gtest/gtest.h>

#include "core/layout.h"
#include "huepick_in_session.h"
#include "sway_required.h"

namespace e2e::wayland {
namespace {

// Where the bar's picture changed: the icon that appeared in it.
std::optional<QRect> changedIn(const QImage& before, const QImage& after, int barHeight) {
    QRect changed;
    for (int y = 0; y < barHeight; ++y) {
        for (int x = 0; x < before.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    return changed.isEmpty() ? std::nullopt : std::optional(changed);
}

TEST(TrayOnWayland, RightClickHidesAndTheIconBringsTheWindowBack) {
    SKIP_WITHOUT_SWAY();
    SessionOptions options;
    options.portal = Portal::Absent;
    options.tray = true;
    WaylandSession session(options);
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    constexpr int kBar = 40;
    QImage before;
    ASSERT_TRUE(pollUntil([&] { return !(before = session.screenshot()).isNull(); }, 3000));
    HuepickInSession app(session, iniWithColour("FF8000"));
    ASSERT_TRUE(app.start()) << app.error().toStdString();

    std::optional<QRect> icon;
    ASSERT_TRUE(pollUntil(
        [&] { return (icon = changedIn(before, session.screenshot(), kBar)).has_value(); }, 5000))
        << "no icon showed up in the bar";

    ASSERT_TRUE(app.click({200, 30}, Qt::RightButton));
    EXPECT_TRUE(pollUntil([&] { return session.windowsOf(app.program().pid()).empty(); }, 3000))
        << "the right click did not hide the window";

    ASSERT_TRUE(session.click(QPointF(icon->center())));
    EXPECT_TRUE(pollUntil([&] { return !session.windowsOf(app.program().pid()).empty(); }, 3000))
        << "the icon did not bring the window back";
    EXPECT_EQ(app.stderrText(), QString());
}

}  // namespace
}  // namespace e2e::wayland
