// One run of the real huepick binary from a fresh application folder of its
// own (the executable, help.html and optionally a prepared huepick.ini).
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

#include "harness/process.h"
#include "harness/x_connection.h"

namespace e2e {

class XSession;

// The value of a key in an INI text; section and key match without regard to
// case.
std::optional<QString> ini_value_of(const QByteArray& text, const QString& section,
                                    const QString& key);

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
};

struct ExitInfo {
    bool exited = false;   // false: still running at the deadline
    bool crashed = false;  // ended by a signal
    int code = -1;         // exit status, or the signal number when crashed
};

class AppRun {
public:
    // The program runs in `session`'s environment.
    AppRun(XSession& session, AppOptions options = {});
    // The program runs in `base` without a session (e.g. no display at all).
    AppRun(const QProcessEnvironment& base, AppOptions options = {});
    ~AppRun();
    AppRun(const AppRun&) = delete;
    AppRun& operator=(const AppRun&) = delete;

    // Prepares the folder and starts the program; false with error() set.
    bool start();
    const QString& error() const { return error_; }

    QString app_dir() const { return app_.path(); }
    QString ini_path() const { return app_.file(QStringLiteral("huepick.ini")); }
    // The folder the program starts in; not the application folder.
    QString work_dir() const { return work_.path(); }
    qint64 pid() const;
    // Nanoseconds since the moment just before the exec.
    qint64 ns_since_launch() const { return launch_clock_.nsecsElapsed(); }
    bool running() const;

    // Polls every 10 ms for a viewable top-level window with the main
    // window's title that belongs to this process.
    bool wait_for_window(int timeout_ms = 10000);
    XWindow window() const { return window_; }
    // Position on the screen and size of the program's own window.
    std::optional<QRect> geometry();
    bool viewable();
    bool wait_viewable(bool wanted, int timeout_ms = 3000);
    // The screen position of a point given in window coordinates.
    std::optional<QPoint> to_screen(QPoint local);
    // Moves the pointer to a point of the window and clicks there (button
    // 1 left, 2 middle, 3 right).
    bool click_at(QPoint local, int button = 1);

    // Closes through the window manager: focus, then its alt+F4 binding.
    bool close_with_keyboard();
    // Closes through the window manager's _NET_CLOSE_WINDOW request.
    bool close_with_request();
    bool send_signal(int signal);
    ExitInfo wait_exit(int timeout_ms = 5000);

    // Everything the program printed so far.
    QString stdout_text();
    QString stderr_text();

    QByteArray ini_text() const;
    // Section and key are matched without regard to case.
    std::optional<QString> ini_value(const QString& section, const QString& key) const;
    bool write_ini(const QByteArray& content) const;

private:
    void collect_output();

    XSession* session_ = nullptr;
    QProcessEnvironment env_;
    AppOptions options_;
    TempDir app_{QStringLiteral("app")};
    TempDir work_{QStringLiteral("cwd")};
    std::unique_ptr<QProcess> process_;
    QElapsedTimer launch_clock_;
    QString error_;
    XWindow window_ = 0;
    QByteArray out_;
    QByteArray err_;
    std::optional<ExitInfo> exit_;
};

}  // namespace e2e
