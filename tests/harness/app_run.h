// SPDX-License-Identifier: MIT
// One run of the real huepick binary from an application folder of its own
// (the executable, help.html and optionally a prepared huepick.ini): the
// folder, the environment, the process and how it ended. Nothing here knows
// which display the program shows its window on.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <memory>
#include <optional>

#include "harness/process.h"

namespace e2e {

inline const QString kMainTitle = QStringLiteral("Vantrel!'s Huepick");

// Path of the huepick binary under test: the one built here, unless
// HUEPICK_E2E_BIN names another (an installed or a deliberately broken one).
QString huepickBinary();

struct AppOptions {
    // Exact content of huepick.ini; no file when unset.
    std::optional<QByteArray> ini{};
    // Added to (or, with an empty value, removed from) the environment.
    QMap<QString, QString> env{};
    // Put first on PATH, e.g. a folder with a fake xdg-open.
    QString pathPrefix{};
    bool copyHelp = true;
    // Run by a user without privileges (see unprivileged_user.h), with a home
    // and a runtime folder of its own.
    bool unprivileged = false;
    // Whether the program may write its application folder; huepick.ini is
    // its own only when it may.
    bool folderWritable = true;
    // huepick.html in the application folder, which the program may read but
    // not write.
    std::optional<QByteArray> readOnlyLog{};
    // An existing folder to lay the application folder out in, e.g. a small
    // file system that a test fills; a private one when empty. Whoever made
    // the folder removes it with what it holds.
    QString parentDir{};
};

struct ExitInfo {
    bool exited = false;   // false: still running at the deadline
    bool crashed = false;  // ended by a signal
    int code = -1;         // exit status, or the signal number when crashed
};

class AppRun {
public:
    // The program runs in `base`, e.g. a desktop session's environment.
    explicit AppRun(const QProcessEnvironment& base, AppOptions options = {});
    virtual ~AppRun();
    AppRun(const AppRun&) = delete;
    AppRun& operator=(const AppRun&) = delete;

    // Lays out the folder the first time, then starts the program with
    // `args`; a later call starts it again from the same folder. False with
    // error() set.
    bool start(const QStringList& args = {});
    const QString& error() const { return m_error; }

    // The folders exist from construction on, so a test can plant things.
    QString appDir() const;
    QString appFile(const QString& name) const { return appDir() + u'/' + name; }
    QString iniPath() const { return appFile(QStringLiteral("huepick.ini")); }
    // The folder the program starts in; not the application folder.
    QString workDir() const { return m_root.file(QStringLiteral("cwd")); }
    // The program's HOME, and the per-user files it may fall back to there.
    QString home() const;
    QString userIni() const { return home() + QStringLiteral("/.config/huepick/huepick.ini"); }
    QString userLog() const {
        return home() + QStringLiteral("/.local/share/huepick/huepick.html");
    }

    qint64 pid() const;
    // Nanoseconds since the moment just before the exec.
    qint64 nsSinceLaunch() const { return m_launchClock.nsecsElapsed(); }
    bool running() const;
    bool sendSignal(int signal);
    ExitInfo waitExit(int timeoutMs = 5000);

    // Everything the current run printed so far.
    QString stdoutText();
    QString stderrText();
    // The lines on stderr once there are at least `atLeast` of them, or
    // those there are at the deadline.
    QStringList waitStderrLines(int atLeast, int timeoutMs = 3000);

    QByteArray iniText() const;
    // Section and key are matched without regard to case.
    std::optional<QString> iniValue(const QString& section, const QString& key) const;
    bool writeIni(const QByteArray& content) const;

protected:
    void setError(const QString& why) { m_error = why; }

private:
    bool layOut();
    QProcessEnvironment runEnvironment() const;
    void collectOutput();

    QProcessEnvironment m_base;
    AppOptions m_options;
    TempDir m_root{QStringLiteral("app")};
    bool m_laidOut = false;
    std::unique_ptr<QProcess> m_process;
    QElapsedTimer m_launchClock;
    QString m_error;
    QByteArray m_out;
    QByteArray m_err;
    std::optional<ExitInfo> m_exit;
};

}  // namespace e2e
