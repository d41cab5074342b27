// SPDX-License-Identifier: MIT
#include "harness/app_run.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#include "harness/files.h"
#include "harness/unprivileged_user.h"

namespace e2e {

namespace {

bool setMode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

}  // namespace

QString huepickBinary() {
    const QString chosen = qEnvironmentVariable("HUEPICK_E2E_BIN");
    return chosen.isEmpty() ? QStringLiteral(HUEPICK_BIN) : chosen;
}

AppRun::AppRun(const QProcessEnvironment& base, AppOptions options)
    : m_base(base), m_options(std::move(options)) {
    if (m_root.ok()) {
        QDir().mkpath(appDir());
        QDir().mkpath(workDir());
    }
}

AppRun::~AppRun() {
    if (m_process) {
        // SIGKILL: a run the test did not end itself has nothing to store.
        m_process->kill();
        m_process->waitForFinished(2000);
    }
    // A folder locked against its user must be writable again to be removed.
    setMode(appDir(), 0755);
}

QString AppRun::appDir() const {
    return m_options.parentDir.isEmpty() ? m_root.file(QStringLiteral("app"))
                                         : m_options.parentDir + QStringLiteral("/app");
}

QString AppRun::home() const {
    return m_options.unprivileged ? m_root.file(QStringLiteral("home"))
                                  : m_base.value(QStringLiteral("HOME"));
}

bool AppRun::layOut() {
    const bool user = m_options.unprivileged;
    const QFileInfo binary(huepickBinary());
    const QString log = appFile(QStringLiteral("huepick.html"));
    // The unprivileged user must reach the application folder through ours.
    bool ok = m_root.ok() && (!user || setMode(m_root.path(), 0755)) &&
              makeFolder(appDir(), 0755, user && m_options.folderWritable) &&
              makeFolder(workDir(), 0700, user) &&
              QFile::copy(binary.filePath(), appFile(QStringLiteral("huepick")));
    if (ok && m_options.copyHelp) {
        ok = QFile::copy(binary.absolutePath() + QStringLiteral("/help.html"),
                         appFile(QStringLiteral("help.html")));
    }
    if (ok && user) {
        ok = makeFolder(home(), 0700, true) &&
             makeFolder(m_root.file(QStringLiteral("run")), 0700, true);
    }
    if (ok && m_options.ini) {
        ok = writeIni(*m_options.ini) &&
             (!user || !m_options.folderWritable || giveToUnprivilegedUser(iniPath()));
    }
    if (ok && m_options.readOnlyLog) {
        // Root ignores the mode, so only the owner keeps the program out.
        ok = writeFile(log, *m_options.readOnlyLog) &&
             setMode(log, user && runningAsRoot() ? 0644 : 0444);
    }
    // Root owns everything written here; anyone else has to lock the folder.
    if (ok && !m_options.folderWritable && !(user && runningAsRoot())) {
        ok = setMode(appDir(), 0555);
    }
    if (!ok) {
        m_error = QStringLiteral("cannot lay out the application folder in ") + m_root.path();
    }
    return ok;
}

QProcessEnvironment AppRun::runEnvironment() const {
    QProcessEnvironment env = m_base;
    if (m_options.unprivileged) {
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.file(QStringLiteral("run")));
    }
    for (auto it = m_options.env.cbegin(); it != m_options.env.cend(); ++it) {
        if (it.value().isEmpty()) {
            env.remove(it.key());
        } else {
            env.insert(it.key(), it.value());
        }
    }
    if (!m_options.pathPrefix.isEmpty()) {
        env.insert(QStringLiteral("PATH"),
                   m_options.pathPrefix + u':' + env.value(QStringLiteral("PATH")));
    }
    return env;
}

bool AppRun::start(const QStringList& args) {
    if (!m_laidOut) {
        if (!layOut()) {
            return false;
        }
        m_laidOut = true;
    }
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
    m_out.clear();
    m_err.clear();
    m_exit.reset();

    const QString exe = appFile(QStringLiteral("huepick"));
    CommandLine command = m_options.unprivileged ? asUnprivilegedUser(exe) : CommandLine{exe, {}};
    command.args << args;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(runEnvironment());
    m_process->setWorkingDirectory(workDir());
    m_process->setStandardInputFile(QProcess::nullDevice());
    dieWithParent(*m_process, SIGKILL);
    m_launchClock.start();
    m_process->start(command.program, command.args);
    if (!m_process->waitForStarted(5000)) {
        m_error = QStringLiteral("cannot start huepick: ") + m_process->errorString();
        m_process.reset();
        return false;
    }
    return true;
}

qint64 AppRun::pid() const {
    return m_process ? m_process->processId() : 0;
}

bool AppRun::running() const {
    return m_process && m_process->state() == QProcess::Running;
}

bool AppRun::sendSignal(int signal) {
    return running() && ::kill(static_cast<pid_t>(pid()), signal) == 0;
}

ExitInfo AppRun::waitExit(int timeoutMs) {
    if (m_exit) {
        return *m_exit;
    }
    ExitInfo info;
    if (!m_process) {
        return info;
    }
    if (m_process->state() != QProcess::NotRunning && !m_process->waitForFinished(timeoutMs)) {
        return info;
    }
    collectOutput();
    info.exited = true;
    info.crashed = m_process->exitStatus() == QProcess::CrashExit;
    info.code = m_process->exitCode();
    m_exit = info;
    return info;
}

void AppRun::collectOutput() {
    if (m_process) {
        m_out += m_process->readAllStandardOutput();
        m_err += m_process->readAllStandardError();
    }
}

QString AppRun::stdoutText() {
    collectOutput();
    return QString::fromLocal8Bit(m_out);
}

QString AppRun::stderrText() {
    collectOutput();
    return QString::fromLocal8Bit(m_err);
}

QStringList AppRun::waitStderrLines(int atLeast, int timeoutMs) {
    QStringList lines;
    pollUntil(
        [&] {
            // The output reaches the QProcess through the event loop.
            QCoreApplication::processEvents();
            lines = stderrText().split(u'\n', Qt::SkipEmptyParts);
            return lines.size() >= atLeast;
        },
        timeoutMs);
    return lines;
}

QByteArray AppRun::iniText() const {
    return readFile(iniPath()).value_or(QByteArray());
}

std::optional<QString> AppRun::iniValue(const QString& section, const QString& key) const {
    return e2e::iniValue(iniPath(), section, key);
}

bool AppRun::writeIni(const QByteArray& content) const {
    return writeFile(iniPath(), content);
}

}  // namespace e2e
