// SPDX-License-Identifier: MIT
// PortalScreenshot against the real portal of a session: the image, and how
// long a round trip takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "portal_client_run.h"
#include "sway_required.h"
#include "wayland_session.h"

namespace e2e::wayland {
namespace {

TEST(RealPortal, ClientGivesTheScreenAtFullSize) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const Outcome out = runClient(session);
    EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
    EXPECT_TRUE(out.line.startsWith(QStringLiteral("image 1920 1080 336699 ")))
        << out.line.toStdString();
}

TEST(RealPortal, ClientRoundTripAtFullHdIsMeasured) {
    SKIP_WITHOUT_SWAY();
    WaylandSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    QString why;
    auto client = session.run(QStringLiteral(PORTAL_CLIENT_BIN),
                              {QStringLiteral("--repeat"), QStringLiteral("20")}, &why);
    ASSERT_TRUE(client) << why.toStdString();
    std::vector<int> ms;
    for (int i = 0; i < 20; ++i) {
        const auto line = client->waitLine(QString(), 10000);
        ASSERT_TRUE(line) << client->stderrText().toStdString();
        ASSERT_TRUE(line->startsWith(QStringLiteral("image 1920 1080 "))) << line->toStdString();
        ms.push_back(line->section(u' ', 4, 4).toInt());
    }
    std::sort(ms.begin(), ms.end());
    std::cout << "portal round trip at 1920x1080 over 20 runs: median " << (ms[9] + ms[10]) / 2.0
              << " ms, p90 " << ms[17] << " ms, max " << ms[19] << " ms\n";
}

}  // namespace
}  // namespace e2e::wayland
