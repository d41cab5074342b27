// SPDX-License-Identifier: MIT
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

#include "harness/process.h"
#include "session_program.h"
#include "session_user.h"

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
    Canned,      // a stand-in that answers code 0 with SessionOptions::portalUri
};

struct SessionOptions {
    QSize outputSize{1920, 1080};  // device pixels
    int scale = 1;
    QColor background{0x33, 0x66, 0x99};
    // Shown instead of the colour, stretched to the output ("fill"); at the
    // output's size in device pixels it is shown pixel for pixel. The
    // session's user must be able to read it.
    QString backgroundImage{};
    Portal portal = Portal::Real;
    QString portalUri{};         // for Portal::Canned
    bool portalOddPath = false;  // stand-ins: handle path not derived from the token
    bool xwayland = false;
    // A swaybar along the top with a notification area (a StatusNotifierItem
    // host) at its right end.
    bool tray = false;
    int startTimeoutMs = 10000;
};

class WaylandSession {
public:
    explicit WaylandSession(SessionOptions options = {});
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // Tests skip only when the compositor itself is missing.
    static bool swayInstalled();

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    // Milliseconds from the constructor's start until everything answered.
    qint64 startupMs() const { return m_startupMs; }

    const SessionOptions& options() const { return m_options; }
    // Valid unless the user could not be resolved (see error()).
    const SessionUser& user() const { return *m_user; }
    QString runtimeDir() const { return m_root + QStringLiteral("/run"); }
    QString home() const { return m_root + QStringLiteral("/home"); }
    // A folder for the test's own files, readable by the session's programs.
    QString scratchDir() const { return m_root + QStringLiteral("/scratch"); }
    // The output in logical coordinates, as clients and input see it.
    QSize logicalSize() const { return m_options.outputSize / m_options.scale; }

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
    ToolResult tool(const QString& program, const QStringList& args, int timeoutMs = 5000) const;
    ToolResult swaymsg(const QStringList& args, int timeoutMs = 5000) const;

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
    std::optional<QString> clipboard(int timeoutMs = 1500) const;
    // Owns the clipboard with `text` (a wl-copy kept running) until the
    // session ends or something else copies; waits until it reads back.
    bool setClipboard(const QString& text);

    // Rectangles (logical) of the windows of process `pid`, as sway's tree
    // has them. The tree shows a new window before its first frame is on
    // screen, and sway hit-tests only what is on screen: a click that comes
    // too early reaches nobody.
    std::vector<QRect> windowsOf(qint64 pid) const;
    // The first window of `pid` once it is on screen: its area no longer
    // shows only the background, or (for a window that looks like the
    // background) sway's own 200 ms wait for a client's frame has passed.
    std::optional<QRect> waitWindow(qint64 pid, int timeoutMs = 5000) const;

private:
    bool startBus();
    bool startSway();
    bool startPortal();
    bool startStandInPortal();
    bool startInput();
    bool startKeyboardHolder();
    // Starts the keyboard holder again should it have gone.
    bool ensureKeyboard();
    bool readXDisplay();
    bool waitBackground();
    // The background's colour at a device pixel, when it is known.
    std::optional<QRgb> backgroundAt(QPoint device) const;
    bool writeSwayConfig();
    // Starts a part of the session as its user, logging to logs/LABEL.log;
    // standard input and output are pipes only for a `piped` one.
    QProcess* startHelper(const QString& label, const QStringList& command,
                          const QProcessEnvironment& env, bool piped = false);
    bool helperAlive(const QProcess* helper, const QString& label);
    QString reachable(const QString& program);
    bool pointerCommand(const QString& line);
    QString logPath(const QString& label) const {
        return m_root + QStringLiteral("/logs/") + label + QStringLiteral(".log");
    }
    void fail(const QString& why);
    void reapStrays();

    SessionOptions m_options;
    std::optional<SessionUser> m_user;
    QString m_error;
    QString m_root;
    QString m_busAddress;
    QString m_busName;
    QString m_waylandDisplay;
    QString m_swaySocket;
    QString m_xDisplay;
    QImage m_background;  // the background image, when one was given
    qint64 m_startupMs = -1;
    // Stopped in reverse order of start.
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    QProcess* m_pointer = nullptr;
    QProcess* m_keyboard = nullptr;
    std::unique_ptr<QProcess> m_clipboardOwner;
};

}  // namespace e2e::wayland
