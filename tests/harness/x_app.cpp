// SPDX-License-Identifier: MIT
#include "harness/x_app.h"

#include <QtMath>

#include "harness/x_session.h"

namespace e2e {

XAppRun::XAppRun(XSession& session, AppOptions options)
    : AppRun(session.environment(), options), m_session(session) {
    bool parsed = false;
    const double factor = options.env.value(QStringLiteral("QT_SCALE_FACTOR")).toDouble(&parsed);
    m_scale = parsed && factor > 0 ? factor : 1.0;
}

bool XAppRun::launch() {
    if (!m_session.ok()) {
        setError(m_session.error());
        return false;
    }
    const QImage before = m_session.screenshot();
    return start() && waitForWindow() && waitPainted(before);
}

XWindow XAppRun::findWindow() {
    return m_session.x().topLevel(kMainTitle, pid());
}

bool XAppRun::waitForWindow(int timeoutMs, double intervalMs) {
    m_window = 0;
    m_background.reset();
    const bool found = pollUntil(
        [&] {
            // No point waiting for a window of a dead process.
            return !running() || (m_window = findWindow()) != 0;
        },
        timeoutMs, intervalMs);
    if (m_window == 0) {
        setError(found ? QStringLiteral("huepick ended before its window appeared; stderr: ") +
                             stderrText()
                       : QStringLiteral("no window titled \"%1\" within %2 ms")
                             .arg(kMainTitle)
                             .arg(timeoutMs));
        return false;
    }
    return true;
}

bool XAppRun::waitPainted(const QImage& before) {
    // Until the program paints, a newly mapped window shows whatever was on
    // the screen before; painted, most of it differs from that.
    const auto painted = [&] {
        const std::optional<QRect> where = geometry();
        const auto shape = m_session.x().boundingShape(m_window);
        if (!where || !shape || before.isNull()) {
            return false;
        }
        const QImage now = m_session.x().grab(*where);
        if (now.isNull()) {
            return false;
        }
        int samples = 0;
        int changed = 0;
        for (const QRect& part : *shape) {
            for (int y = part.top(); y <= part.bottom(); y += 5) {
                for (int x = part.left(); x <= part.right(); x += 5) {
                    ++samples;
                    changed += now.pixel(x, y) != before.pixel(where->topLeft() + QPoint(x, y));
                }
            }
        }
        return samples > 0 && changed * 2 > samples;
    };
    if (!pollUntil(painted, 5000, 20)) {
        setError(QStringLiteral("the window never showed its skin"));
        return false;
    }
    return true;
}

std::optional<QRect> XAppRun::geometry() {
    return m_window != 0 ? m_session.x().geometry(m_window) : std::nullopt;
}

bool XAppRun::viewable() {
    return m_window != 0 && m_session.x().viewable(m_window);
}

bool XAppRun::waitViewable(bool wanted, int timeoutMs) {
    return pollUntil([&] { return viewable() == wanted; }, timeoutMs);
}

std::optional<QPoint> XAppRun::toScreen(QPoint local) {
    const std::optional<QRect> g = geometry();
    if (!g) {
        return std::nullopt;
    }
    return g->topLeft() + QPoint(qRound(local.x() * m_scale), qRound(local.y() * m_scale));
}

std::optional<QPoint> XAppRun::background() {
    if (!m_background && m_window != 0) {
        // The shape is in device pixels, the table in logical ones.
        const auto shape = m_session.x().boundingShape(m_window);
        if (shape) {
            std::vector<QRect> logical;
            for (const QRect& r : *shape) {
                logical.emplace_back(QRectF(r.x() / m_scale, r.y() / m_scale, r.width() / m_scale,
                                            r.height() / m_scale)
                                         .toAlignedRect());
            }
            m_background = backgroundPoint(logical);
        }
    }
    return m_background;
}

bool XAppRun::focus() {
    return m_window != 0 && m_session.activate(m_window);
}

bool XAppRun::pointAt(QPoint local) {
    const std::optional<QPoint> target = toScreen(local);
    if (!target) {
        return false;
    }
    // A pointer already there would produce no movement at all.
    if (m_session.pointer() == *target && !m_session.mouseMove(*target + QPoint(1, 0))) {
        return false;
    }
    return m_session.mouseMove(*target);
}

bool XAppRun::click(QPoint local, int button) {
    return pointAt(local) && m_session.click(button);
}

bool XAppRun::crossBackground() {
    // A program that reads late merges the movements queued for it into the
    // last one, and would then never see the pointer on the background.
    const std::optional<QPoint> at = background();
    return at && pointAt(*at) && sync();
}

bool XAppRun::sync() {
    return m_window != 0 && m_session.x().ping(m_window, 3000);
}

std::optional<QString> XAppRun::copyWithKey(const QString& keys, const QString& expected) {
    if (!m_session.putSentinel() || !pointAt(Role::HexField) || !m_session.key(keys)) {
        return std::nullopt;
    }
    return m_session.waitClipboard(expected);
}

std::optional<QString> XAppRun::copyField(Role field, const QString& expected) {
    if (!m_session.putSentinel() || !crossBackground() || !click(field, 3)) {
        return std::nullopt;
    }
    return m_session.waitClipboard(expected);
}

std::optional<QString> XAppRun::copyField(Role field) {
    if (!m_session.putSentinel() || !crossBackground() || !click(field, 3)) {
        return std::nullopt;
    }
    return m_session.waitClipboardChange(m_session.sentinel());
}

bool XAppRun::typeInto(Role field, const QString& text) {
    return pointAt(field) && m_session.key(QStringLiteral("ctrl+a")) && m_session.type(text);
}

bool XAppRun::enterHex(const QString& hex) {
    // A right-button copy leaves the fields disabled until the pointer
    // crosses the background.
    return focus() && crossBackground() && typeInto(Role::HexField, hex) &&
           m_session.key(QStringLiteral("Return"));
}

bool XAppRun::closeWithKeyboard() {
    return m_window != 0 && m_session.hasWindowManager() && focus() &&
           m_session.key(QStringLiteral("alt+F4"));
}

bool XAppRun::closeWithRequest() {
    return m_window != 0 && m_session.x().requestClose(m_window);
}

}  // namespace e2e
