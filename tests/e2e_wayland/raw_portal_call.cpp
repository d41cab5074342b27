// SPDX-License-Identifier: MIT
// Calls org.freedesktop.portal.Screenshot directly over D-Bus, the way any
// client would, and prints what came back on one line:
//   response CODE URI
//   error NAME MESSAGE
//   timeout
// The portal answers only callers of the session's own user, so this runs
// inside the session rather than in the test process.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <cstdio>

#include "harness/raw_portal.h"

namespace {

using e2e::portal::say;

class Listener : public QObject {
    Q_OBJECT
public slots:
    void onResponse(uint code, const QVariantMap& results) {
        say(QStringLiteral("response %1 %2").arg(code).arg(results.value("uri").toString()));
        QCoreApplication::quit();
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("raw");
    Listener listener;
    bus.connect(e2e::portal::kService, e2e::portal::requestPath(bus, token), e2e::portal::kRequest,
                QStringLiteral("Response"), &listener, SLOT(onResponse(uint, QVariantMap)));
    const QDBusMessage reply = bus.call(e2e::portal::screenshotCall(token), QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        say(QStringLiteral("error %1 %2").arg(reply.errorName(), reply.errorMessage()));
        return 0;
    }
    QTimer::singleShot(5000, [] {
        say(QStringLiteral("timeout"));
        QCoreApplication::quit();
    });
    return app.exec();
}

#include "raw_portal_call.moc"
