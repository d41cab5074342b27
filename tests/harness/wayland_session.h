// A private headless Wayland desktop for one test: a session bus, sway with
// one headless output, a virtual pointer and keyboard, and (unless told
// otherwise) the screenshot portal with its backends. Everything runs as the
// session's user (see session_user.h) and is ended by PID when the session
// goes away. Nothing blocks without a deadline; a session that fails to come
// up says in error() which part failed, with the tail of its log.
#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QImage>
#include <QMap>
#include <QPointF>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "session_program.h"
#include "session_user.h"
#include "wl_process.h"

namespace e2e::wayland {

// What answers org.freedesktop.portal.Screenshot.
enum class Portal {
    Real,        // xdg-desktop-portal with the wlr and gtk backends, on pipewire
    Absent,      // nobody: calls fail with ServiceUnknown
    Cancels,     // a stand-in that answers response code 1 (cancelled by the user)
    Refuses,     // a stand-in that answers response code 2
    ErrorReply,  // a stand-in whose method call fails with a D-Bus error
    Silent,      // a stand-in that returns a request handle and never answers
    NoReply,     // a stand-in that never replies to the method call at all
    Canned,      // a stand-in that answers code 0 with SessionOptions::portal_uri
};

struct SessionOptions {
    QSize output_size{1920, 1080};  // device pixels
    int scale = 1;
    QColor background{0x33, 0x66, 0x99};
    // Shown instead of the colour, stretched to the output ("fill"); at the
    // output's size in device pixels it is shown pixel for pixel. The
    // session's user must be able to read it.
    QString background_image{};
    Portal portal = Portal::Real;
    QString portal_uri{};          // for Portal::Canned
    bool portal_odd_path = false;  // stand-ins: handle path not derived from the token
    bool xwayland = false;
    // A swaybar along the top with a notification area (a StatusNotifierItem
    // host) at its right end.
    bool tray = false;
    int start_timeout_ms = 10000;
};

class WaylandSession {
public:
    explicit WaylandSession(SessionOptions options = {});
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // Tests skip only when the compositor itself is missing.
    static bool sway_installed();

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // Milliseconds from the constructor's start until everything answered.
    qint64 startup_ms() const { return startup_ms_; }

    const SessionOptions& options() const { return options_; }
    // Valid unless the user could not be resolved (see error()).
    const SessionUser& user() const { return *user_; }
    QString runtime_dir() const { return root_ + QStringLiteral("/run"); }
    QString home() const { return root_ + QStringLiteral("/home"); }
    // A folder for the test's own files, readable by the session's programs.
    QString scratch_dir() const { return root_ + QStringLiteral("/scratch"); }
    // The output in logical coordinates, as clients and input see it.
    QSize logical_size() const { return options_.output_size / options_.scale; }

    // The environment for programs of this session: Wayland display, session
    // bus, runtime folder, HOME and QT_QPA_PLATFORM=wayland; nothing leaks in
    // from the test runner that would change how Qt picks platform or scale.
    QProcessEnvironment environment() const;

    // Starts a program as the session's user in its environment, with the
    // same die-with-parent and stop rules as the helpers; nullptr with *why
    // set on failure. A program the user cannot reach where it lies (a build
    // tree in a private folder) is copied to the session first.
    // `extra` is added to (an empty value removes from) the environment.
    std::unique_ptr<SessionProgram> run(const QString& program, const QStringList& args = {},
                                        QString* why = nullptr,
                                        const QMap<QString, QString>& extra = {});
    // Runs a command line tool as the session's user to completion.
    ToolResult tool(const QString& program, const QStringList& args, int timeout_ms = 5000) const;
    ToolResult swaymsg(const QStringList& args, int timeout_ms = 5000) const;

    // The session bus, from this process (the bus admits it even when it
    // runs as another user). Disconnected when the session goes away.
    QDBusConnection bus() const;

    // Pointer, in logical layout coordinates; fractions are kept to 1/256.
    bool move(QPointF to);
    bool press(Qt::MouseButton button);
    bool release(Qt::MouseButton button);
    bool click(QPointF at, Qt::MouseButton button = Qt::LeftButton);
    // Keys by XKB name with "+"-joined modifiers, e.g. "a", "Return",
    // "ctrl+c", "shift+Tab". Go to the focused window.
    bool key(const QString& combo);
    bool type(const QString& text);

    // The whole output in device pixels; null on failure.
    QImage screenshot() const;
    // The device pixel at the top-left of a logical point.
    std::optional<QColor> pixel(QPoint logical) const;

    // The clipboard's text; nullopt when nothing is copied or on failure.
    std::optional<QString> clipboard(int timeout_ms = 1500) const;
    // Owns the clipboard with `text` (a wl-copy kept running) until the
    // session ends or something else copies; waits until it reads back.
    bool set_clipboard(const QString& text);

    // Rectangles (logical) of the windows of process `pid`, as sway's tree
    // has them. The tree shows a new window before its first frame is on
    // screen, and sway hit-tests only what is on screen: a click that comes
    // too early reaches nobody.
    std::vector<QRect> windows_of(qint64 pid) const;
    // The first window of `pid` once it is on screen: its area no longer
    // shows only the background, or (for a window that looks like the
    // background) sway's own 200 ms wait for a client's frame has passed.
    std::optional<QRect> wait_window(qint64 pid, int timeout_ms = 5000) const;

private:
    bool start_bus();
    bool start_sway();
    bool start_portal();
    bool start_stand_in_portal();
    bool start_input();
    bool start_keyboard_holder();
    // Starts the keyboard holder again should it have gone.
    bool ensure_keyboard();
    bool read_x_display();
    bool wait_background();
    // The background's colour at a device pixel, when it is known.
    std::optional<QRgb> background_at(QPoint device) const;
    bool write_sway_config();
    // Starts a part of the session as its user, logging to logs/LABEL.log;
    // standard input and output are pipes only for a `piped` one.
    QProcess* start_helper(const QString& label, const QStringList& command,
                           const QProcessEnvironment& env, bool piped = false);
    bool helper_alive(const QProcess* helper, const QString& label);
    QString reachable(const QString& program);
    bool pointer_command(const QString& line);
    QString log_path(const QString& label) const {
        return root_ + QStringLiteral("/logs/") + label + QStringLiteral(".log");
    }
    void fail(const QString& why);
    void reap_strays();

    SessionOptions options_;
    std::optional<SessionUser> user_;
    QString error_;
    QString root_;
    QString bus_address_;
    QString bus_name_;
    QString wayland_display_;
    QString sway_socket_;
    QString x_display_;
    QImage background_;  // the background image, when one was given
    qint64 startup_ms_ = -1;
    // Stopped in reverse order of start.
    std::vector<std::unique_ptr<QProcess>> helpers_;
    QProcess* pointer_ = nullptr;
    QProcess* keyboard_ = nullptr;
    std::unique_ptr<QProcess> clipboard_owner_;
};

}  // namespace e2e::wayland
