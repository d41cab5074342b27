// SPDX-License-Identifier: MIT
// The desk the picking tests run on: Xvfb and openbox, a full-screen
// background whose pixels name their own positions, and huepick on top. A
// pick is read back the way a user would copy it: F1 over the hex field puts
// "color = #RRGGBB" on the clipboard.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <QtMath>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "harness/desk.h"
#include "harness/printers.h"

namespace e2e {

// Where the lens shows, from the main window's top-left (logical pixels).
inline constexpr QPoint kLensOffset{160, 65};

inline const QString kCaptureTitle = QStringLiteral("captureme");

inline QRgb pattern(QPoint p, bool inverted = false) {
    const int x = p.x();
    const int y = p.y();
    const QRgb rgb = qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
    return inverted ? qRgb(255 - qRed(rgb), 255 - qGreen(rgb), 255 - qBlue(rgb)) : rgb;
}

inline QString notation(QRgb c) {
    return QString::asprintf("color = #%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
}

struct DeskOptions {
    QSize screen{1920, 1080};
    std::vector<Monitor> monitors{};
    QString scale{};  // QT_SCALE_FACTOR; none when empty
};

inline AppOptions appOptions(const DeskOptions& options) {
    AppOptions app{.ini = QByteArray("[settings]\nlastcolor=123456\n")};
    if (!options.scale.isEmpty()) {
        app.env.insert(QStringLiteral("QT_SCALE_FACTOR"), options.scale);
    }
    return app;
}

// Xvfb and openbox, the pattern behind everything, and huepick on top.
class PatternDesk : public Desk {
public:
    explicit PatternDesk(const DeskOptions& options)
        : Desk({.screenSize = options.screen, .monitors = options.monitors}, appOptions(options)) {}

    ~PatternDesk() override {
        for (auto& p : m_patterns) {
            stopProcess(*p);
        }
    }

    // Brings everything up; an empty text means success.
    QString bringUp() {
        if (!session().ok()) {
            return session().error();
        }
        if (QString e = showPattern(false); !e.isEmpty()) {
            return e;
        }
        if (!open()) {
            return QStringLiteral("huepick: ") + error();
        }
        m_main = geometry()->topLeft();
        return {};
    }

    // Starts a (further) pattern window; a newer one covers the older ones.
    // Under another window it cannot draw, so only wait when it is in view.
    QString showPattern(bool inverted, bool waitDrawn = true) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(session().environment());
        p->setProgram(QStringLiteral(PATTERN_WINDOW_BIN));
        if (inverted) {
            p->setArguments({QStringLiteral("--inverted")});
        }
        p->start();
        dieWithParent(*p, SIGKILL);
        const bool started = p->waitForStarted(3000);
        m_patterns.push_back(std::move(p));
        if (!started) {
            return QStringLiteral("pattern window did not start");
        }
        return waitDrawn ? waitPatternDrawn() : QString();
    }

    QString waitPatternDrawn() {
        QProcess& last = *m_patterns.back();
        if (!pollUntil([&] { return last.canReadLine() || last.waitForReadyRead(50); }, 5000) ||
            !last.readLine().startsWith("ready")) {
            return QStringLiteral("pattern window did not draw: ") + last.readAllStandardError();
        }
        return {};
    }

    QPoint main() const { return m_main; }

    // A point of the main window, in device pixels.
    QPoint onMain(QPoint logical) { return toScreen(logical).value_or(QPoint(-1, -1)); }
    QPoint lensOrigin() { return onMain(kLensOffset); }

    // Presses and releases a main-window button; returns the capture window
    // once it is viewable.
    std::optional<XWindow> openCapture(Role button, int mouseButton = 1) {
        if (!click(button, mouseButton)) {
            return std::nullopt;
        }
        return waitCapture();
    }

    std::optional<XWindow> waitCapture(int timeoutMs = 3000) {
        std::optional<XWindow> found;
        pollUntil([&] { return (found = session().viewableWindow(kCaptureTitle)).has_value(); },
                  timeoutMs);
        return found;
    }

    // Still open a while after a click it should not close on; a pick
    // closes it within milliseconds.
    bool staysOpen() {
        QThread::msleep(200);
        return waitCapture(0).has_value();
    }

    bool captureGone(int timeoutMs = 3000) {
        return pollUntil([&] { return !session().viewableWindow(kCaptureTitle); }, timeoutMs);
    }

    bool clickAt(QPoint device, int button = 1) { return session().clickAt(device, button); }

    // F1 over the hex field, the main window having the keyboard; the
    // clipboard's text once it is `expected`, or the last text seen.
    QString copied(const QString& expected) {
        if (!focus()) {
            return QStringLiteral("<cannot give the main window the keyboard>");
        }
        return copyWithKey(QStringLiteral("F1"), expected)
            .value_or(QStringLiteral("<empty clipboard>"));
    }

    // Opens in sample mode, clicks `device`, and returns what F1 copies
    // afterwards (waiting for `expected`).
    QString sample(QPoint device, QRgb expected) {
        if (!openCapture(Role::SampleButton)) {
            return QStringLiteral("<no capture window>");
        }
        if (!clickAt(device)) {
            return QStringLiteral("<cannot click>");
        }
        if (!captureGone()) {
            return QStringLiteral("<capture window stayed>");
        }
        return copied(notation(expected));
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_patterns;
    QPoint m_main;
};

#define START(desk)                                      \
    do {                                                 \
        const QString why = (desk).bringUp();            \
        ASSERT_TRUE(why.isEmpty()) << why.toStdString(); \
    } while (0)

// Points away from the main window, which the frozen copy shows too.
inline std::vector<QPoint> spotsOutside(const PatternDesk& desk, QSize screen,
                                        std::vector<QPoint> wanted) {
    const QRect mainArea(desk.main(), QSize(qCeil(400 * desk.scale()), qCeil(300 * desk.scale())));
    std::vector<QPoint> kept;
    for (QPoint p : wanted) {
        if (!mainArea.contains(p) && QRect(QPoint(0, 0), screen).contains(p)) {
            kept.push_back(p);
        }
    }
    return kept;
}

}  // namespace e2e
