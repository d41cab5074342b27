// SPDX-License-Identifier: MIT
// Running the portal client test program in a session and reading its
// outcome line.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

#include "wayland_session.h"

namespace e2e::wayland {

struct Outcome {
    QString line;
    QString kind;  // image, cancelled or error; otherwise why there is no outcome
};

// Runs the client once in `session` and returns its first outcome line.
inline Outcome runClient(WaylandSession& session, const QStringList& args = {},
                         const QMap<QString, QString>& env = {}) {
    QString why;
    auto client = session.run(QStringLiteral(PORTAL_CLIENT_BIN), args, &why, env);
    if (!client) {
        return {why, QStringLiteral("not started")};
    }
    const auto line = client->waitLine(QString(), 15000);
    if (!line) {
        return {client->stderrText(), QStringLiteral("silent")};
    }
    return {*line, line->section(u' ', 0, 0)};
}

inline std::unique_ptr<WaylandSession> sessionWith(Portal portal, const QString& uri = {},
                                                   bool oddPath = false) {
    SessionOptions options;
    options.portal = portal;
    options.portalUri = uri;
    options.portalOddPath = oddPath;
    return std::make_unique<WaylandSession>(options);
}

}  // namespace e2e::wayland
