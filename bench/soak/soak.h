// SPDX-License-Identifier: MIT
// The soak's random user: one action at a time on the real program, with
// counts of what it did and the first thing that failed.
#pragma once

#include <QPoint>
#include <QRandomGenerator>
#include <QRegion>
#include <QString>

#include "harness/x_app.h"
#include "harness/x_session.h"

namespace soak {

using e2e::Role;
using e2e::XAppRun;
using e2e::XSession;

// Where a random click on a control may land.
QRegion targetOf(Role role);

class Soak {
public:
    Soak(XSession& session, XAppRun& app, quint32 seed)
        : m_session(session), m_app(app), m_random(seed) {}

    bool setUp();
    // One random action; false when the program is gone.
    bool step();
    const QString& trouble() const { return m_trouble; }
    qint64 actions() const { return m_actions; }
    qint64 inputEvents() const { return m_events; }
    int exports() const { return m_exports; }
    int picks() const { return m_picks; }
    int hides() const { return m_hides; }
    int misses() const { return m_misses; }

private:
    int pickNumber(int low, int high) {
        return low + static_cast<int>(m_random.bounded(high - low + 1));
    }
    QPoint inside(const QRect& r) {
        return {pickNumber(r.left(), r.right()), pickNumber(r.top(), r.bottom())};
    }
    QPoint inside(Role role) {
        const QRegion target = targetOf(role);
        QPoint at;
        do {
            at = inside(target.boundingRect());
        } while (!target.contains(at));
        return at;
    }
    // Counts the input events an action sent; records what failed.
    bool sent(bool ok, int events, const char* what) {
        m_events += events;
        if (!ok && m_trouble.isEmpty()) {
            m_trouble = QStringLiteral("xdotool failed to %1").arg(QLatin1String(what));
        }
        return ok;
    }
    bool moveTo(QPoint local) { return sent(m_app.pointAt(local), 1, "move the pointer"); }
    bool click(QPoint local, int button = 1) {
        return sent(m_app.click(local, button), 3, "click");
    }
    bool key(const QString& name) { return sent(m_session.key(name), 2, "press a key"); }
    bool type(const QString& text) {
        return sent(m_session.type(text), 2 * static_cast<int>(text.size()), "type");
    }
    bool focus();
    // Over the background, without a click: re-enables the fields after a
    // right-button copy.
    bool wander() { return moveTo(m_background); }

    bool typeIntoField();
    bool enterHex();
    bool functionKey();
    bool stepClick();
    bool stepHold();
    bool pick(bool magnify);
    bool exportRecord();
    bool copyField();
    bool hideAndRestore();

    bool captureOpen() { return m_session.viewableWindow(QStringLiteral("captureme")).has_value(); }
    QString randomHexText();

    XSession& m_session;
    XAppRun& m_app;
    QRandomGenerator m_random;
    QPoint m_background;
    bool m_focusLost = true;
    QString m_trouble;
    qint64 m_actions = 0;
    qint64 m_events = 0;
    int m_exports = 0;
    int m_picks = 0;
    int m_hides = 0;
    int m_misses = 0;  // actions whose effect did not show in time
};

}  // namespace soak
