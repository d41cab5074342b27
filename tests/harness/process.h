// SPDX-License-Identifier: MIT
// Running helper programs with hard time limits, and waiting for conditions
// by polling. Nothing here may block without a deadline: a stuck tool must
// fail the test, never hang the runner. Nothing here knows about X, so any
// kind of desktop session can use it.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QThread>

namespace e2e {

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

// Runs program with args to completion, killing it after timeoutMs.
ToolResult runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                   int timeoutMs = 5000);

// Makes the child get `signal` when the test process dies, so that a test
// killed by the ctest timeout leaves no display server or program behind.
void dieWithParent(QProcess& process, int signal);

// SIGTERM, then SIGKILL once graceMs have passed; reaps the child.
void stopProcess(QProcess& process, int graceMs = 1000);

// Calls done() every intervalMs until it returns true or timeoutMs pass.
// The condition is checked once more at the deadline. The interval may be a
// fraction of a millisecond, for timing start-up.
template <class Condition>
bool pollUntil(Condition done, int timeoutMs, double intervalMs = 10) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (done()) {
            return true;
        }
        QThread::usleep(static_cast<unsigned long>(intervalMs * 1000));
    }
    return done();
}

// The last few hundred characters of a log file, on one line.
QString tailOf(const QString& path, int chars = 400);

// A private temporary folder (mode 0700), removed with its content.
class TempDir {
public:
    explicit TempDir(const QString& label);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !m_path.isEmpty(); }
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return m_path + u'/' + name; }

private:
    QString m_path;
};

// VmRSS of a process in MiB, or a negative value when it cannot be read.
double rssMb(qint64 pid);

}  // namespace e2e
