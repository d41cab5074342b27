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
    int exit_code = -1;
    QByteArray out;  // raw: screenshots come through standard output
    QString err;

    bool ok() const { return started && finished && !crashed && exit_code == 0; }
    QString text() const { return QString::fromLocal8Bit(out); }
    // One line for assertion messages.
    QString describe() const;
};

// Runs a command line (program first) to completion, killing it after
// timeout_ms.
ToolResult run_tool(const QStringList& command, const QProcessEnvironment& env,
                    int timeout_ms = 5000);

// Makes the child get `signal` when the test process dies, so that a test
// killed by the ctest timeout leaves nothing behind.
void die_with_parent(QProcess& process, int signal);

// SIGTERM, then SIGKILL once grace_ms have passed; reaps the child.
void stop_process(QProcess& process, int grace_ms = 1000);

// Calls done() every interval_ms until it returns true or timeout_ms pass.
// The condition is checked once more at the deadline.
template <class Condition>
bool poll_until(Condition done, int timeout_ms, int interval_ms = 10) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout_ms) {
        if (done()) {
            return true;
        }
        QThread::msleep(static_cast<unsigned long>(interval_ms));
    }
    return done();
}

// The last few hundred characters of a log file, on one line.
QString tail_of(const QString& path, int chars = 400);

}  // namespace e2e::wayland
