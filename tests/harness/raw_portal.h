// SPDX-License-Identifier: MIT
// A screenshot asked of the desktop portal over plain D-Bus, the way any
// client would: for the test and benchmark programs that call the portal
// themselves instead of through huepick. Header only, so that these small
// programs need nothing but QtDBus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>
#include <cstdio>

namespace e2e::portal {

inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Where the portal announces its answer to the call made with `token`.
inline QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + u'/' + token;
}

// The non-interactive Screenshot call.
inline QDBusMessage screenshotCall(const QString& token) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    return call;
}

// One line on standard output, flushed: the caller reads them as they come.
inline void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

}  // namespace e2e::portal
