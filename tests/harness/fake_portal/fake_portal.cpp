// SPDX-License-Identifier: MIT
// A stand-in for the desktop portal's Screenshot interface that misbehaves
// in one chosen way, so that a test can watch a client's reaction:
//   cancel   answers response code 1 (the user cancelled)
//   refuse   answers response code 2 (the portal ended the request)
//   error    fails the method call with a D-Bus error
//   silent   returns a request handle and never answers
//   noreply  never replies to the method call
//   canned   answers code 0 with the URI given by --uri
// With --odd-path the handle is not the path derived from the token, and the
// answer follows the reply 300 ms later. Without it, the answer goes out
// before the method's reply, the order that catches a client which
// subscribes too late. Prints "ready" once it owns the name.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");

class StandIn : public QDBusVirtualObject {
public:
    StandIn(QString mode, QString uri, bool oddPath)
        : m_mode(std::move(mode)), m_uri(std::move(uri)), m_oddPath(oddPath) {}

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.portal.Screenshot\">"
            "<method name=\"Screenshot\"><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"o\" direction=\"out\"/></method>"
            "<property name=\"version\" type=\"u\" access=\"read\"/></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            message.member() == QLatin1String("Get")) {
            bus.send(message.createReply(QVariant::fromValue(QDBusVariant(uint{2}))));
            return true;
        }
        if (message.interface() != kScreenshot || message.member() != QLatin1String("Screenshot")) {
            return false;
        }
        if (m_mode == QLatin1String("noreply")) {
            m_held << message;  // keeps the call open for good
            return true;
        }
        if (m_mode == QLatin1String("error")) {
            bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                              QStringLiteral("screenshots are disabled")));
            return true;
        }
        // An a{sv} arrives as a QDBusArgument, not as a map.
        const QVariantMap options =
            qdbus_cast<QVariantMap>(message.arguments().value(1).value<QDBusArgument>());
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString handle =
            kPath + (m_oddPath ? QStringLiteral("/request/odd/") : QStringLiteral("/request/")) +
            (m_oddPath ? QStringLiteral("r%1").arg(++m_count) : sender + u'/' + token);
        const QDBusMessage reply =
            message.createReply(QVariant::fromValue(QDBusObjectPath(handle)));
        if (m_mode == QLatin1String("silent")) {
            bus.send(reply);
            return true;
        }
        uint code = 2;
        QVariantMap results;
        if (m_mode == QLatin1String("cancel")) {
            code = 1;
        } else if (m_mode == QLatin1String("canned")) {
            code = 0;
            results.insert(QStringLiteral("uri"), m_uri);
        }
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), handle, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << code << results;
        if (m_oddPath) {
            // A client can only listen on a path it has not computed once the
            // reply is in; a real portal takes that long anyway.
            bus.send(reply);
            QDBusConnection sender = bus;
            QTimer::singleShot(300, [sender, response]() mutable { sender.send(response); });
        } else {
            bus.send(response);
            bus.send(reply);
        }
        return true;
    }

private:
    QString m_mode;
    QString m_uri;
    bool m_oddPath;
    int m_count = 0;
    QList<QDBusMessage> m_held;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QStringList modes{QStringLiteral("cancel"),  QStringLiteral("refuse"),
                            QStringLiteral("error"),   QStringLiteral("silent"),
                            QStringLiteral("noreply"), QStringLiteral("canned")};
    if (args.isEmpty() || !modes.contains(args.first())) {
        std::fprintf(stderr, "usage: fake_portal %s [--uri URI] [--odd-path]\n",
                     qPrintable(modes.join(u'|')));
        return 2;
    }
    const qsizetype uriAt = args.indexOf(QStringLiteral("--uri"));
    const QString uri = uriAt >= 0 ? args.value(uriAt + 1) : QString();
    StandIn standIn(args.first(), uri, args.contains(QStringLiteral("--odd-path")));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kPath, &standIn) || !bus.registerService(kService)) {
        std::fprintf(stderr, "fake_portal: cannot take %s: %s\n", qPrintable(kService),
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
