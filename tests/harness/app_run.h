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
QString huepick_binary();

struct AppOptions {
    // Exact content of huepick.ini; no file when unset.
    std::optional<QByteArray> ini{};
    // Added to (or, with an empty value, removed from) the environment.
    QMap<QString, QString> env{};
    // Put first on PATH, e.g. a folder with a fake xdg-open.
    QString path_prefix{};
    bool copy_help = true;
    // Run by a user without privileges (see unprivileged_user.h), with a home
    // and a runtime folder of its own.
    bool unprivileged = false;
    // Whether the program may write its application folder; huepick.ini is
    // its own only when it may.
    bool folder_writable = true;
    // huepick.html in the application folder, which the program may read but
    // not write.
    std::optional<QByteArray> read_only_log{};
    // An existing folder to lay the application folder out in, e.g. a small
    // file system that a test fills; a private one when empty. Whoever made
    // the folder removes it with what it holds.
    QString parent_dir{};
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
    const QString& error() const { return error_; }

    // The folders exist from construction on, so a test can plant things.
    QString app_dir() const;
    QString app_file(const QString& name) const { return app_dir() + u'/' + name; }
    QString ini_path() const { return app_file(QStringLiteral("huepick.ini")); }
    // The folder the program starts in; not the application folder.
    QString work_dir() const { return root_.file(QStringLiteral("cwd")); }
    // The program's HOME, and the per-user files it may fall back to there.
    QString home() const;
    QString user_ini() const { return home() + QStringLiteral("/.config/huepick/huepick.ini"); }
    QString user_log() const {
        return home() + QStringLiteral("/.local/share/huepick/huepick.html");
    }

    qint64 pid() const;
    // Nanoseconds since the moment just before the exec.
    qint64 ns_since_launch() const { return launch_clock_.nsecsElapsed(); }
    bool running() const;
    bool send_signal(int signal);
    ExitInfo wait_exit(int timeout_ms = 5000);

    // Everything the current run printed so far.
    QString stdout_text();
    QString stderr_text();
    // The lines on stderr once there are at least `at_least` of them, or
    // those there are at the deadline.
    QStringList wait_stderr_lines(int at_least, int timeout_ms = 3000);

    QByteArray ini_text() const;
    // Section and key are matched without regard to case.
    std::optional<QString> ini_value(const QString& section, const QString& key) const;
    bool write_ini(const QByteArray& content) const;

protected:
    void set_error(const QString& why) { error_ = why; }

private:
    bool lay_out();
    QProcessEnvironment run_environment() const;
    void collect_output();

    QProcessEnvironment base_;
    AppOptions options_;
    TempDir root_{QStringLiteral("app")};
    bool laid_out_ = false;
    std::unique_ptr<QProcess> process_;
    QElapsedTimer launch_clock_;
    QString error_;
    QByteArray out_;
    QByteArray err_;
    std::optional<ExitInfo> exit_;
};

}  // namespace e2e
