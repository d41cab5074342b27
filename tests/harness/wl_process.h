// SPDX-License-Identifier: MIT
// Running helper programs with hard time limits, and waiting for conditions
// by polling. Nothing here may block without a deadline: a stuck tool must
// fail the test, never hang the runner. (Copied from the X11 harness's
// process helpers until both harnesses share one.)
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QThread>

namespace e2e::wayland {

struct ToolResult {
    bool started = false;
    bool finished = false;  // false: it ran past its deadline and was killed
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;  // raw: screenshots come through standard output
    QString err;

    bool ok() const { return started && finished && !crashed && exitCode == 0; }
    QString text() const { return QString::fromLocal8Bit(out); }
    // One line for assertion messages.
    QString describe() const;
};

// Runs a command line (program first) to completion, killing it after
// timeoutMs.
ToolResult runTool(const QStringList& command, const QProcessEnvironment& env,
                   int timeoutMs = 5000);

// Makes the child get `signal` when the test process dies, so that a test
// killed by the ctest timeout leaves nothing behind.
void dieWithParent(QProcess& process, int signal);

// SIGTERM, then SIGKILL once graceMs have passed; reaps the child.
void stopProcess(QProcess& process, int graceMs = 1000);

// Calls done() every intervalMs until it returns true or timeoutMs pass.
// The condition is checked once more at the deadline.
template <class Condition>
bool pollUntil(Condition done, int timeoutMs, int intervalMs = 10) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (done()) {
            return true;
        }
        QThread::msleep(static_cast<unsigned long>(intervalMs));
    }
    return done();
}

// The last few hundred characters of a log file, on one line.
QString tailOf(const QString& path, int chars = 400);

}  // namespace e2e::wayland
