// SPDX-License-Identifier: MIT
#include "session_program.h"

#include <QElapsedTimer>

#include "harness/process.h"

namespace e2e::wayland {

SessionProgram::SessionProgram(std::unique_ptr<QProcess> process) : m_process(std::move(process)) {}

SessionProgram::~SessionProgram() {
    stop();
}

void SessionProgram::stop() {
    stopProcess(*m_process);
}

void SessionProgram::readAvailable() {
    // Without an event loop, QProcess reads its pipes only when waited on.
    if (m_process->state() == QProcess::Running) {
        m_process->waitForReadyRead(0);
    }
    m_partial += m_process->readAllStandardOutput();
    m_err += m_process->readAllStandardError();
    for (qsizetype end = m_partial.indexOf('\n'); end >= 0; end = m_partial.indexOf('\n')) {
        m_lines << QString::fromUtf8(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
}

std::optional<QString> SessionProgram::waitLine(const QString& prefix, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        readAvailable();
        while (m_next < m_lines.size()) {
            const QString& line = m_lines[m_next++];
            if (line.startsWith(prefix)) {
                return line;
            }
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || m_process->state() != QProcess::Running) {
            // One last look: the program may have printed and exited.
            m_process->waitForReadyRead(0);
            readAvailable();
            while (m_next < m_lines.size()) {
                const QString& line = m_lines[m_next++];
                if (line.startsWith(prefix)) {
                    return line;
                }
            }
            return std::nullopt;
        }
        m_process->waitForReadyRead(static_cast<int>(std::min<qint64>(left, 100)));
    }
}

const QStringList& SessionProgram::lines() {
    readAvailable();
    return m_lines;
}

QString SessionProgram::stderrText() {
    readAvailable();
    return QString::fromLocal8Bit(m_err);
}

std::optional<int> SessionProgram::waitExit(int timeoutMs) {
    if (m_process->state() != QProcess::NotRunning && !m_process->waitForFinished(timeoutMs)) {
        return std::nullopt;
    }
    readAvailable();
    if (m_process->exitStatus() == QProcess::CrashExit) {
        return std::nullopt;
    }
    return m_process->exitCode();
}

}  // namespace e2e::wayland
