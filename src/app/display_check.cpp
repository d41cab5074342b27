// SPDX-License-Identifier: MIT
#include "app/display_check.h"

#include "platform/wayland/wayland_display.h"

namespace huepick {

QStringList platformCandidates(const QString& requested, const QString& sessionType) {
    if (requested.trimmed().isEmpty()) {
        return sessionType.compare(u"wayland", Qt::CaseInsensitive) == 0
                   ? QStringList{QStringLiteral("wayland"), QStringLiteral("xcb")}
                   : QStringList{QStringLiteral("xcb")};
    }
    QStringList candidates;
    for (const QString& entry : requested.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0).trimmed().toLower();
        if (!name.isEmpty() && !candidates.contains(name)) {
            candidates.append(name);
        }
    }
    return candidates;
}

DisplayCheck::DisplayCheck() {
    QStringList reasons;
    for (const QString& name : platformCandidates(qEnvironmentVariable("QT_QPA_PLATFORM"),
                                                  qEnvironmentVariable("XDG_SESSION_TYPE"))) {
        QString why;
        bool reached = true;
        if (name == u"xcb") {
            reached = m_platforms.contains(name) || m_x11.connect(&why);
        } else if (name.startsWith(u"wayland")) {
            reached = waylandDisplayReachable(&why);
        }
        // Other platforms (offscreen, vnc, eglfs...) need no display of ours.
        if (reached) {
            m_platforms.append(name);
        } else {
            reasons.append(why);
        }
    }
    if (m_platforms.isEmpty()) {
        m_problem = QStringLiteral("no display: ") + reasons.join(QStringLiteral("; "));
    }
}

}  // namespace huepick
