// SPDX-License-Identifier: MIT
// Asks the session's portal for screenshots through PortalScreenshot and
// prints each outcome on one line:
//   image WIDTH HEIGHT RRGGBB MS     (RRGGBB: the pixel at 5,5)
//   cancelled MS
//   error MS TEXT
// usage: portal_client [--timeout MS] [--repeat N]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

#include "platform/wayland/portal_screenshot.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 ? args.value(at + 1).toInt() : fallback;
    };
    const int repeat = option("--repeat", 1);

    huepick::PortalScreenshot portal;
    portal.setTimeoutMs(option("--timeout", huepick::PortalScreenshot::kDefaultTimeoutMs));
    QElapsedTimer clock;
    int done = 0;
    QObject::connect(
        &portal, &huepick::PortalScreenshot::finished, [&](const huepick::PortalShot& shot) {
            const qint64 ms = clock.elapsed();
            switch (shot.status) {
                case huepick::PortalShot::Status::Image:
                    std::printf("image %d %d %s %lld\n", shot.image.width(), shot.image.height(),
                                qPrintable(shot.image.pixelColor(5, 5).name().mid(1)),
                                static_cast<long long>(ms));
                    break;
                case huepick::PortalShot::Status::Cancelled:
                    std::printf("cancelled %lld\n", static_cast<long long>(ms));
                    break;
                case huepick::PortalShot::Status::Failed:
                    std::printf("error %lld %s\n", static_cast<long long>(ms),
                                qPrintable(shot.error));
                    break;
            }
            std::fflush(stdout);
            if (++done == repeat) {
                app.quit();
                return;
            }
            clock.start();
            portal.request();
        });
    clock.start();
    if (!portal.request()) {
        return 1;
    }
    return app.exec();
}
