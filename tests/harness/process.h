// Running helper programs with hard time limits, and waiting for conditions
// by polling. Nothing here may block without a deadline: a stuck tool must
// fail the test, never hang the runner. Nothing here knows about X, so any
// kind of desktop session can use it.
#pragma once

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
    int exit_code = -1;
    QString out;
    QString err;

    bool ok() const { return started && finished && !crashed && exit_code == 0; }
    // One line for assertion messages.
    QString describe() const;
};

// Runs program with args to completion, killing it after timeout_ms.
ToolResult run_tool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                    int timeout_ms = 5000);

// Makes the child get `signal` when the test process dies, so that a test
// killed by the ctest timeout leaves no X server or program behind.
void die_with_parent(QProcess& process, int signal);

// SIGTERM, then SIGKILL once grace_ms have passed; reaps the child.
void stop_process(QProcess& process, int grace_ms = 1000);

// Calls done() every interval_ms until it returns true or timeout_ms pass.
// The condition is checked once more at the deadline. The interval may be a
// fraction of a millisecond, for timing start-up.
template <class Condition>
bool poll_until(Condition done, int timeout_ms, double interval_ms = 10) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout_ms) {
        if (done()) {
            return true;
        }
        QThread::usleep(static_cast<unsigned long>(interval_ms * 1000));
    }
    return done();
}

// A private temporary folder (mode 0700), removed with its content.
class TempDir {
public:
    explicit TempDir(const QString& label);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.isEmpty(); }
    const QString& path() const { return path_; }
    QString file(const QString& name) const { return path_ + u'/' + name; }

private:
    QString path_;
};

// VmRSS of a process in MiB, or a negative value when it cannot be read.
double rss_mb(qint64 pid);

}  // namespace e2e
