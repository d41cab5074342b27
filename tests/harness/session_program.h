// A program running in a test session, whose standard output is read line by
// line: tests wait for the lines it prints about what it saw. Stopped
// (SIGTERM, then SIGKILL) when this object goes away.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace e2e::wayland {

class SessionProgram {
public:
    explicit SessionProgram(std::unique_ptr<QProcess> process);
    ~SessionProgram();
    SessionProgram(const SessionProgram&) = delete;
    SessionProgram& operator=(const SessionProgram&) = delete;

    qint64 pid() const { return process_->processId(); }
    bool running() const { return process_->state() == QProcess::Running; }
    QProcess& process() { return *process_; }

    // The next line not yet taken that starts with `prefix`; lines before
    // it are skipped. nullopt when none came within timeout_ms.
    std::optional<QString> wait_line(const QString& prefix, int timeout_ms = 5000);
    // Every complete line printed so far, taken or not.
    const QStringList& lines();
    QString stderr_text();

    // Waits for the program to end by itself; its exit code, or nullopt
    // when it is still running at the deadline or crashed.
    std::optional<int> wait_exit(int timeout_ms = 5000);
    void stop();

private:
    void read_available();

    std::unique_ptr<QProcess> process_;
    QByteArray partial_;
    QByteArray err_;
    QStringList lines_;
    int next_ = 0;
};

}  // namespace e2e::wayland
