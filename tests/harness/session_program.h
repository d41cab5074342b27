// SPDX-License-Identifier: MIT
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

    qint64 pid() const { return m_process->processId(); }
    bool running() const { return m_process->state() == QProcess::Running; }
    QProcess& process() { return *m_process; }

    // The next line not yet taken that starts with `prefix`; lines before
    // it are skipped. nullopt when none came within timeoutMs.
    std::optional<QString> waitLine(const QString& prefix, int timeoutMs = 5000);
    // Every complete line printed so far, taken or not.
    const QStringList& lines();
    QString stderrText();

    // Waits for the program to end by itself; its exit code, or nullopt
    // when it is still running at the deadline or crashed.
    std::optional<int> waitExit(int timeoutMs = 5000);
    void stop();

private:
    void readAvailable();

    std::unique_ptr<QProcess> m_process;
    QByteArray m_partial;
    QByteArray m_err;
    QStringList m_lines;
    int m_next = 0;
};

}  // namespace e2e::wayland
