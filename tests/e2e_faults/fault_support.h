// What the fault tests share beyond the end-to-end harness: the places they
// click, the few interactions they repeat, ending the X server under a
// running program, and running the program as an unprivileged user from an
// installation it may not be allowed to write.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>

#include "harness/app_run.h"
#include "harness/process.h"
#include "harness/x_connection.h"
#include "harness/x_session.h"

namespace e2e::faults {

// Window pixels of the controls the tests use.
inline constexpr QPoint kExportButton{240, 45};    // Picture14, clear of Picture16
inline constexpr QPoint kCloseButton{328, 158};    // Picture9
inline constexpr QPoint kGreenUpButton{146, 136};  // Picture4
inline constexpr QPoint kGreenField{191, 161};     // txt_G

// The program's main window, found by title and owning process.
std::optional<XWindow> find_main_window(XSession& session, qint64 pid, int timeout_ms = 10000);

// Moves the pointer to a point of the window at `origin`, then clicks.
bool click_window(XSession& session, QPoint origin, QPoint local, int button = 1);

// Types `hex` (e.g. "#12AB34") into the hexadecimal field and confirms it
// with Enter. The window is activated first, so the keys reach it.
bool enter_hex(XSession& session, XWindow window, QPoint origin, const QString& hex);

// Copies a text field with a right-button press and waits until the
// clipboard holds `expected`; returns what it last held.
std::optional<QString> copy_field(XSession& session, QPoint origin, QPoint field,
                                  const QString& expected);

// Ends the session's X server with `signal`, as a crash (SIGKILL) or a
// logout (SIGTERM) would, and clears what a killed server leaves behind.
// False when no server of this session is this process's child.
bool end_x_server(XSession& session, int signal);

// A private copy of the program installed in a folder of its own, run by
// an unprivileged user with a home of its own. Under root (which ignores
// file permissions) that user is "nobody", reached through setpriv; anyone
// else runs the program as themselves.
struct InstallOptions {
    // Whether the user may write the application folder.
    bool folder_writable = false;
    // huepick.ini in the application folder; the user's when the folder is.
    std::optional<QByteArray> ini{};
    // huepick.html in the application folder, read-only for the user.
    std::optional<QByteArray> read_only_log{};
};

class UserInstall {
public:
    UserInstall(XSession& session, InstallOptions options);
    ~UserInstall();
    UserInstall(const UserInstall&) = delete;
    UserInstall& operator=(const UserInstall&) = delete;

    // Whether an unprivileged user can be had here at all; why not otherwise.
    static std::optional<QString> unavailable();

    // Lays out the folders; false with error() set.
    bool prepare();
    // Starts one run of the program and waits for its window.
    bool start();
    const QString& error() const { return error_; }

    XWindow window() const { return window_; }
    QPoint origin() const { return origin_; }
    ExitInfo wait_exit(int timeout_ms = 5000);
    QString stderr_text();

    QString app_file(const QString& name) const;
    QString user_ini() const;
    QString user_log() const;

private:
    XSession& session_;
    InstallOptions options_;
    TempDir root_{QStringLiteral("install")};
    std::unique_ptr<QProcess> process_;
    QString error_;
    XWindow window_ = 0;
    QPoint origin_;
    QByteArray err_;
};

// Reads a whole file; nullopt when it cannot be read.
std::optional<QByteArray> read_file(const QString& path);
bool write_file(const QString& path, const QByteArray& content);
// The value of `key` in `section` of an INI file (names without regard to case).
std::optional<QString> ini_value(const QString& path, const QString& section, const QString& key);

}  // namespace e2e::faults
