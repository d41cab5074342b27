// SPDX-License-Identifier: MIT
// A full-screen desktop window whose pixels name their own positions (the
// capture tests' pattern window), so that a pick can be checked against the
// very pixel it was made on.
#pragma once

#include <QtGui/qrgb.h>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <csignal>

#include "harness/process.h"
#include "harness/x_session.h"

namespace e2e {

// The pattern's colour at a screen pixel.
inline QRgb patternAt(QPoint p) {
    const int x = p.x();
    const int y = p.y();
    return qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

// "#RRGGBB", as the program prints and shows a picked colour.
inline QString hexOf(QRgb c) {
    return QString::asprintf("#%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
}

class PatternBackground {
public:
    ~PatternBackground() { stopProcess(m_process); }

    // Starts the window and waits until the pattern is on the screen; an
    // empty text on success, else why not.
    QString show(const XSession& session) {
        m_process.setProcessEnvironment(session.environment());
        dieWithParent(m_process, SIGKILL);
        m_process.start(QStringLiteral(PATTERN_WINDOW_BIN), QStringList());
        if (!m_process.waitForStarted(3000)) {
            return QStringLiteral("the pattern window did not start");
        }
        const bool ready = pollUntil(
            [&] { return m_process.canReadLine() || m_process.waitForReadyRead(50); }, 5000);
        if (!ready || !m_process.readLine().startsWith("ready")) {
            return QStringLiteral("the pattern window did not draw: ") +
                   QString::fromLocal8Bit(m_process.readAllStandardError());
        }
        return {};
    }

private:
    QProcess m_process;
};

}  // namespace e2e
