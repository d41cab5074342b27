// SPDX-License-Identifier: MIT
// The floor under a pick on Wayland: the desktop portal's own screenshot,
// asked for over raw D-Bus (org.freedesktop.portal.Screenshot, not
// interactive), the way any client would. Each SIGUSR1 asks for one
// screenshot; each answer is one line:
//   shot MS READ_MS WIDTHxHEIGHT   call to response, then reading the image
//   failed TEXT
// "ready" comes first. The portal answers only its own user's callers, so
// this runs inside the session.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "asked.h"
#include "harness/raw_portal.h"

namespace {

using e2e::portal::kRequest;
using e2e::portal::kService;
using e2e::portal::say;

class Probe : public QObject {
    Q_OBJECT
public:
    Probe() {
        m_timeout.setSingleShot(true);
        connect(&m_timeout, &QTimer::timeout, this,
                [this] { finish(QStringLiteral("failed no response")); });
    }

    void request() {
        if (m_busy) {
            say(QStringLiteral("failed busy"));
            return;
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString token = QStringLiteral("bench%1").arg(++m_count);
        m_path = e2e::portal::requestPath(bus, token);
        // Listening before the call: the answer may come before the reply.
        bus.connect(kService, m_path, kRequest, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
        const QDBusMessage call = e2e::portal::screenshotCall(token);
        m_busy = true;
        m_clock.start();
        bus.callWithCallback(call, this, SLOT(onReply(QDBusMessage)), SLOT(onError(QDBusError)),
                             5000);
        m_timeout.start(5000);
    }

private slots:
    void onReply(const QDBusMessage&) {}
    void onError(const QDBusError& error) { finish(QStringLiteral("failed ") + error.name()); }
    void onResponse(uint code, const QVariantMap& results) {
        const double ms = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        if (code != 0) {
            finish(QStringLiteral("failed response %1").arg(code));
            return;
        }
        QElapsedTimer reading;
        reading.start();
        const QImage image(QUrl(results.value(QStringLiteral("uri")).toString()).toLocalFile());
        const double readMs = static_cast<double>(reading.nsecsElapsed()) / 1e6;
        finish(image.isNull() ? QStringLiteral("failed unreadable image")
                              : QStringLiteral("shot %1 %2 %3x%4")
                                    .arg(ms, 0, 'f', 3)
                                    .arg(readMs, 0, 'f', 3)
                                    .arg(image.width())
                                    .arg(image.height()));
    }

private:
    void finish(const QString& line) {
        if (!m_busy) {
            return;
        }
        m_busy = false;
        m_timeout.stop();
        QDBusConnection::sessionBus().disconnect(kService, m_path, kRequest,
                                                 QStringLiteral("Response"), this,
                                                 SLOT(onResponse(uint, QVariantMap)));
        say(line);
    }

    bool m_busy = false;
    int m_count = 0;
    QString m_path;
    QElapsedTimer m_clock;
    QTimer m_timeout;
};

}  // namespace

int main(int argc, char** argv) {
    Asked asked;
    QCoreApplication app(argc, argv);
    if (!asked.ok()) {
        std::fprintf(stderr, "bench_portal_probe: no signalfd\n");
        return 1;
    }
    Probe probe;
    asked.onEach([&] { probe.request(); });
    say(QStringLiteral("ready"));
    return app.exec();
}

#include "portal_probe.moc"
