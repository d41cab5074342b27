// SPDX-License-Identifier: MIT
#include "harness/process.h"

#include <sys/prctl.h>
#include <QDir>
#include <QFile>
#include <csignal>
#include <cstdlib>

namespace e2e {

QString ToolResult::describe() const {
    if (!started) {
        return QStringLiteral("could not start: %1").arg(err);
    }
    if (!finished) {
        return QStringLiteral("timed out; stderr: %1").arg(err.trimmed());
    }
    return QStringLiteral("%1 %2; stdout: %3; stderr: %4")
        .arg(crashed ? QStringLiteral("killed by signal") : QStringLiteral("exit code"))
        .arg(exitCode)
        .arg(QString::fromLocal8Bit(out.left(300)).trimmed(), err.trimmed());
}

void dieWithParent(QProcess& process, int signal) {
    process.setChildProcessModifier([signal] { ::prctl(PR_SET_PDEATHSIG, signal); });
}

ToolResult runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                   int timeoutMs) {
    ToolResult result;
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    dieWithParent(process, SIGKILL);
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs)) {
        result.err = process.errorString();
        return result;
    }
    result.started = true;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
    } else {
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        result.exitCode = process.exitCode();
    }
    result.out = process.readAllStandardOutput();
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void stopProcess(QProcess& process, int graceMs) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(graceMs)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

QString tailOf(const QString& path, int chars) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromLocal8Bit(file.readAll().right(chars)).trimmed();
    text.replace(u'\n', QStringLiteral(" | "));
    return text;
}

TempDir::TempDir(const QString& label) {
    QByteArray pattern =
        QDir::tempPath().toLocal8Bit() + "/huepick-e2e-" + label.toLocal8Bit() + "-XXXXXX";
    // mkdtemp creates the folder with mode 0700, as Qt wants for XDG_RUNTIME_DIR.
    if (char* made = ::mkdtemp(pattern.data())) {
        m_path = QString::fromLocal8Bit(made);
    }
}

TempDir::~TempDir() {
    if (!m_path.isEmpty()) {
        QDir(m_path).removeRecursively();
    }
}

double rssMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // /proc files report a size of 0, so read to the end rather than line by line.
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return -1;
}

}  // namespace e2e
