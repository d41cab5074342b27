// SPDX-License-Identifier: MIT
// The session's screenshot portal answers a raw D-Bus call as a client sees
// it, and is really gone when the session runs without it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QUrl>

#include "sway_required.h"
#include "wayland_session.h"

namespace e2e::wayland {
namespace {

QString rawCall(WaylandSession& session) {
    QString why;
    auto call = session.run(QStringLiteral(RAW_PORTAL_CALL_BIN), {}, &why);
    if (!call) {
        return why;
    }
    const auto line = call->waitLine(QString(), 10000);
    return line ? *line : QStringLiteral("nothing: ") + call->stderrText();
}

TEST(RealPortal, NonInteractiveScreenshotAnswersCodeZeroWithAPngOfTheScreen) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    std::cout << "session with portal up in " << session.startupMs() << " ms\n";

    const QString line = rawCall(session);
    ASSERT_TRUE(line.startsWith(QStringLiteral("response 0 file://"))) << line.toStdString();
    QFile file(QUrl(line.section(u' ', 2)).toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QByteArray png = file.readAll();
    file.remove();
    EXPECT_TRUE(png.startsWith("\x89PNG"));
    const QImage image = QImage::fromData(png, "PNG");
    EXPECT_EQ(image.size(), QSize(1920, 1080));
    EXPECT_EQ(image.pixelColor(5, 5), session.options().background);
}

TEST(SessionPortal, WithoutThePortalTheCallFailsAndNothingStartsIt) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session({.portal = Portal::Absent});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();

    EXPECT_TRUE(rawCall(session).startsWith(
        QStringLiteral("error org.freedesktop.DBus.Error.ServiceUnknown")));
}

}  // namespace
}  // namespace e2e::wayland
