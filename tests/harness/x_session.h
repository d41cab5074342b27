// A private X desktop for one test: Xvfb on a free display number, and
// optionally openbox and a trayer notification area, with real input through
// XTEST (xdotool) and the clipboard through xclip. Everything it starts is
// ended by PID when the session goes away. The members are implemented in
// x_session.cpp (the desktop), x_input.cpp and x_clipboard.cpp.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "harness/process.h"
#include "harness/x_connection.h"

namespace e2e {

// A monitor laid out on the one X screen through RandR 1.5 (Xvfb's own
// Xinerama stacks all of its screens at the origin, so it cannot model
// monitors side by side).
struct Monitor {
    QRect geometry;
    bool primary = false;
};

struct XSessionOptions {
    QSize screen_size{1280, 1024};
    int depth = 24;
    // "WxHxD" per X screen; when empty, one screen of screen_size and depth.
    QStringList screens{};
    // Added to the Xvfb command line, e.g. "+xinerama".
    QStringList extra_xvfb_args{};
    // When set, the screen is split into these monitors before anything
    // else starts; the screen must cover them all.
    std::vector<Monitor> monitors{};
    bool window_manager = true;
    bool tray = false;
    int start_timeout_ms = 10000;
};

class XSession {
public:
    explicit XSession(XSessionOptions options = {});
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // False when any part failed to come up; error() says which.
    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

    const QString& display() const { return display_; }
    QString runtime_dir() const { return runtime_.path(); }
    QString home() const { return home_.path(); }
    // The environment for programs of this session: DISPLAY, HOME and
    // XDG_RUNTIME_DIR point here, and nothing leaks in from the test runner
    // that would change how Qt picks its platform, theme or tray.
    QProcessEnvironment environment() const;

    XConnection& x() { return *x_; }

    // Runs a command line tool against this display.
    ToolResult tool(const QString& program, const QStringList& args, int timeout_ms = 5000) const;
    ToolResult xdotool(const QStringList& args, int timeout_ms = 5000) const;

    // Pointer and keyboard, through XTEST (xdotool), so the program sees
    // real input events. Buttons: 1 left, 2 middle, 3 right.
    std::optional<QPoint> pointer();
    bool mouse_move(QPoint to);
    bool click(int button);
    // Moves to a point of the screen and clicks there.
    bool click_at(QPoint on_screen, int button = 1);
    bool mouse_down(int button);
    bool mouse_up(int button);
    // Key names as xdotool knows them, e.g. "alt+F4".
    bool key(const QString& keys);
    bool type(const QString& text);
    // Raises and focuses through the window manager (or directly without
    // one), and waits until the window has the keyboard.
    bool activate(XWindow window);
    // The window manager's _NET_ACTIVE_WINDOW.
    std::optional<XWindow> active_window();

    // The text of the CLIPBOARD selection; nullopt when nobody owns it.
    std::optional<QString> clipboard() const;
    // Polls until the clipboard holds `expected`; returns the last text seen.
    std::optional<QString> wait_clipboard(const QString& expected, int timeout_ms = 3000) const;
    // Polls until the clipboard holds something other than `previous`.
    std::optional<QString> wait_clipboard_change(const std::optional<QString>& previous,
                                                 int timeout_ms = 3000) const;
    // Puts a text on the clipboard that no action of the program produces, so
    // that whatever is read afterwards was really copied by that action.
    bool put_sentinel();
    const QString& sentinel() const { return sentinel_; }

    // The whole screen (of the first X screen); a null image on failure.
    QImage screenshot();

    bool has_window_manager() const { return wm_ != nullptr; }
    // A viewable window called `name`, anywhere in the tree.
    std::optional<XWindow> viewable_window(const QString& name);

    // The notification area's top-level window, when a tray runs.
    XWindow tray_window();
    // Where the program's icon sits in the notification area: the icon's
    // window carries the executable's name.
    std::optional<QRect> tray_icon();

    // Ends the notification area with `signal`, as a panel that crashes or
    // is quit; false when none runs.
    bool end_tray(int signal);

    // Ends the X server with `signal`, as a crash (SIGKILL) or a logout
    // (SIGTERM) would, and clears what a killed server leaves behind.
    bool end_server(int signal);

private:
    bool start_xvfb(const XSessionOptions& options);
    bool set_monitors(const std::vector<Monitor>& monitors);
    bool start_helper(std::unique_ptr<QProcess>& process, const QString& program,
                      const QStringList& args);
    bool settle_keyboard(int timeout_ms);
    void fail(const QString& why);
    void reap_sentinels();

    QString error_;
    QString display_;
    TempDir runtime_{QStringLiteral("run")};
    TempDir home_{QStringLiteral("home")};
    std::unique_ptr<QProcess> xvfb_;
    std::unique_ptr<QProcess> wm_;
    std::unique_ptr<QProcess> tray_;
    std::unique_ptr<XConnection> x_;
    QString sentinel_;
    int sentinels_made_ = 0;
    std::vector<std::unique_ptr<QProcess>> sentinels_;
};

}  // namespace e2e
