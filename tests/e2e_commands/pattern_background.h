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
inline QRgb pattern_at(QPoint p) {
    const int x = p.x();
    const int y = p.y();
    return qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

// "#RRGGBB", as the program prints and shows a picked colour.
inline QString hex_of(QRgb c) {
    return QString::asprintf("#%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
}

class PatternBackground {
public:
    ~PatternBackground() { stopProcess(process_); }

    // Starts the window and waits until the pattern is on the screen; an
    // empty text on success, else why not.
    QString show(const XSession& session) {
        process_.setProcessEnvironment(session.environment());
        dieWithParent(process_, SIGKILL);
        process_.start(QStringLiteral(PATTERN_WINDOW_BIN), QStringList());
        if (!process_.waitForStarted(3000)) {
            return QStringLiteral("the pattern window did not start");
        }
        const bool ready = pollUntil(
            [&] { return process_.canReadLine() || process_.waitForReadyRead(50); }, 5000);
        if (!ready || !process_.readLine().startsWith("ready")) {
            return QStringLiteral("the pattern window did not draw: ") +
                   QString::fromLocal8Bit(process_.readAllStandardError());
        }
        return {};
    }

private:
    QProcess process_;
};

}  // namespace e2e
