// SPDX-License-Identifier: MIT
// The client's promises that hold without any portal: one finished() per
// accepted request, always later through the event loop, and no second
// request while one is pending.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSignalSpy>

#include "platform/wayland/portal_screenshot.h"

namespace huepick {
namespace {

TEST(PortalScreenshot, WithoutABusEachRequestEndsOnceWithAnErrorLater) {
    const QString name = QStringLiteral("nowhere");
    QDBusConnection nowhere =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), name);
    ASSERT_FALSE(nowhere.isConnected());
    {
        PortalScreenshot portal(nowhere);
        QSignalSpy finished(&portal, &PortalScreenshot::finished);
        ASSERT_TRUE(portal.request());
        EXPECT_EQ(finished.count(), 0);  // not from inside request()
        EXPECT_TRUE(portal.pending());
        EXPECT_FALSE(portal.request());
        ASSERT_TRUE(finished.wait(2000));
        QCoreApplication::processEvents();
        ASSERT_EQ(finished.count(), 1);
        const auto shot = finished.first().first().value<PortalShot>();
        EXPECT_EQ(shot.status, PortalShot::Status::Failed);
        EXPECT_TRUE(shot.error.startsWith(QStringLiteral("no session bus")));
        EXPECT_FALSE(shot.error.contains(u'\n'));
        EXPECT_FALSE(portal.pending());

        // A new request is accepted once the first has ended.
        EXPECT_TRUE(portal.request());
        ASSERT_TRUE(finished.wait(2000));
        EXPECT_EQ(finished.count(), 2);
    }
    QDBusConnection::disconnectFromBus(name);
}

}  // namespace
}  // namespace huepick
