// SPDX-License-Identifier: MIT
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
    QSize screenSize{1280, 1024};
    int depth = 24;
    // "WxHxD" per X screen; when empty, one screen of screenSize and depth.
    QStringList screens{};
    // Added to the Xvfb command line, e.g. "+xinerama".
    QStringList extraXvfbArgs{};
    // When set, the screen is split into these monitors before anything
    // else starts; the screen must cover them all.
    std::vector<Monitor> monitors{};
    bool windowManager = true;
    bool tray = false;
    int startTimeoutMs = 10000;
};

class XSession {
public:
    explicit XSession(XSessionOptions options = {});
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // False when any part failed to come up; error() says which.
    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    const QString& display() const { return m_display; }
    QString runtimeDir() const { return m_runtime.path(); }
    QString home() const { return m_home.path(); }
    // The environment for programs of this session: DISPLAY, HOME and
    // XDG_RUNTIME_DIR point here, and nothing leaks in from the test runner
    // that would change how Qt picks its platform, theme or tray.
    QProcessEnvironment environment() const;

    XConnection& x() { return *m_x; }

    // Runs a command line tool against this display.
    ToolResult tool(const QString& program, const QStringList& args, int timeoutMs = 5000) const;
    ToolResult xdotool(const QStringList& args, int timeoutMs = 5000) const;

    // Pointer and keyboard, through XTEST (xdotool), so the program sees
    // real input events. Buttons: 1 left, 2 middle, 3 right.
    std::optional<QPoint> pointer();
    bool mouseMove(QPoint to);
    bool click(int button);
    // Moves to a point of the screen and clicks there.
    bool clickAt(QPoint onScreen, int button = 1);
    bool mouseDown(int button);
    bool mouseUp(int button);
    // Key names as xdotool knows them, e.g. "alt+F4".
    bool key(const QString& keys);
    bool type(const QString& text);
    // Raises and focuses through the window manager (or directly without
    // one), and waits until the window has the keyboard.
    bool activate(XWindow window);
    // The window manager's _NET_ACTIVE_WINDOW.
    std::optional<XWindow> activeWindow();

    // The text of the CLIPBOARD selection; nullopt when nobody owns it.
    std::optional<QString> clipboard() const;
    // Polls until the clipboard holds `expected`; returns the last text seen.
    std::optional<QString> waitClipboard(const QString& expected, int timeoutMs = 3000) const;
    // Polls until the clipboard holds something other than `previous`.
    std::optional<QString> waitClipboardChange(const std::optional<QString>& previous,
                                               int timeoutMs = 3000) const;
    // Puts a text on the clipboard that no action of the program produces, so
    // that whatever is read afterwards was really copied by that action.
    bool putSentinel();
    const QString& sentinel() const { return m_sentinel; }

    // The whole screen (of the first X screen); a null image on failure.
    QImage screenshot();

    bool hasWindowManager() const { return m_wm != nullptr; }
    // A viewable window called `name`, anywhere in the tree.
    std::optional<XWindow> viewableWindow(const QString& name);

    // The notification area's top-level window, when a tray runs.
    XWindow trayWindow();
    // Where the program's icon sits in the notification area: the icon's
    // window carries the executable's name.
    std::optional<QRect> trayIcon();

    // Ends the notification area with `signal`, as a panel that crashes or
    // is quit; false when none runs.
    bool endTray(int signal);

    // Ends the X server with `signal`, as a crash (SIGKILL) or a logout
    // (SIGTERM) would, and clears what a killed server leaves behind.
    bool endServer(int signal);

private:
    bool startXvfb(const XSessionOptions& options);
    bool setMonitors(const std::vector<Monitor>& monitors);
    bool startHelper(std::unique_ptr<QProcess>& process, const QString& program,
                     const QStringList& args);
    bool settleKeyboard(int timeoutMs);
    void fail(const QString& why);
    void reapSentinels();

    QString m_error;
    QString m_display;
    TempDir m_runtime{QStringLiteral("run")};
    TempDir m_home{QStringLiteral("home")};
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_wm;
    std::unique_ptr<QProcess> m_tray;
    std::unique_ptr<XConnection> m_x;
    QString m_sentinel;
    int m_sentinelsMade = 0;
    std::vector<std::unique_ptr<QProcess>> m_sentinels;
};

}  // namespace e2e
