// SPDX-License-Identifier: MIT
#include "wl_process.h"

#include <sys/prctl.h>
#include <QFile>
#include <csignal>

namespace e2e::wayland {

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

ToolResult runTool(const QStringList& command, const QProcessEnvironment& env, int timeoutMs) {
    ToolResult result;
    if (command.isEmpty()) {
        result.err = QStringLiteral("empty command");
        return result;
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    dieWithParent(process, SIGKILL);
    process.start(command.first(), command.mid(1));
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

}  // namespace e2e::wayland
