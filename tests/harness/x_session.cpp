// SPDX-License-Identifier: MIT
#include "harness/x_session.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "harness/files.h"

namespace e2e {

namespace {

bool displayInUse(int number) {
    return QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
}

bool anyoneListens(const QString& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    if (path.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
        return true;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return true;
    }
    const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    const bool refused = result != 0 && errno == ECONNREFUSED;
    ::close(fd);
    return !refused;
}

}  // namespace

XSession::XSession(XSessionOptions options) {
    if (!m_runtime.ok() || !m_home.ok()) {
        fail(QStringLiteral("cannot create the session's folders"));
        return;
    }
    if (!startXvfb(options)) {
        return;
    }
    if (!options.monitors.empty() && !setMonitors(options.monitors)) {
        return;
    }
    if (options.windowManager) {
        // Openbox owns WM_S0 and sets _NET_SUPPORTING_WM_CHECK long before
        // its set-up is done; a dock that maps in between may stay unmanaged
        // and unmapped. Its start-up command runs once it is ready.
        const QString ready = m_runtime.file(QStringLiteral("openbox.ready"));
        if (!startHelper(m_wm, QStringLiteral("openbox"),
                         {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                          QStringLiteral("touch ") + ready})) {
            return;
        }
        const bool managed = pollUntil(
            [&] {
                return QFile::exists(ready) && m_x->selectionOwner("WM_S0") != 0 &&
                       m_x->windowProperty(m_x->root(), "_NET_SUPPORTING_WM_CHECK").has_value();
            },
            options.startTimeoutMs);
        if (!managed) {
            fail(QStringLiteral("openbox did not take over the screen: ") +
                 tailOf(m_runtime.file(QStringLiteral("openbox.log")), 600));
            return;
        }
    }
    if (!settleKeyboard(options.startTimeoutMs)) {
        return;
    }
    if (options.tray) {
        if (!startHelper(
                m_tray, QStringLiteral("trayer"),
                {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                 QStringLiteral("right"), QStringLiteral("--height"), QStringLiteral("24"),
                 QStringLiteral("--SetDockType"), QStringLiteral("true"),
                 QStringLiteral("--SetPartialStrut"), QStringLiteral("true")})) {
            return;
        }
        const bool docked = pollUntil(
            [this] { return m_x->selectionOwner("_NET_SYSTEM_TRAY_S0") != 0 && trayWindow() != 0; },
            options.startTimeoutMs);
        if (!docked) {
            QString seen;
            for (XWindow w : m_x->findClass(QStringLiteral("trayer"))) {
                const auto g = m_x->geometry(w);
                seen += QStringLiteral(" window 0x%1 %2 viewable=%3 at %4,%5")
                            .arg(w, 0, 16)
                            .arg(m_x->name(w))
                            .arg(m_x->viewable(w))
                            .arg(g ? g->x() : -1)
                            .arg(g ? g->y() : -1);
            }
            fail(QStringLiteral("trayer did not provide a notification area (selection owner "
                                "0x%1, running %2;%3): %4")
                     .arg(m_x->selectionOwner("_NET_SYSTEM_TRAY_S0"), 0, 16)
                     .arg(m_tray->state() == QProcess::Running)
                     .arg(seen, tailOf(m_runtime.file(QStringLiteral("trayer.log")), 600)));
            return;
        }
    }
}

XSession::~XSession() {
    // Clients first, so that the server goes down with no one attached.
    for (const std::unique_ptr<QProcess>& p : m_sentinels) {
        stopProcess(*p, 200);
    }
    for (std::unique_ptr<QProcess>* p : {&m_tray, &m_wm}) {
        if (*p) {
            stopProcess(**p);
        }
    }
    m_x.reset();
    if (m_xvfb) {
        stopProcess(*m_xvfb);
    }
}

bool XSession::settleKeyboard(int timeoutMs) {
    // The first key through XTEST moves the server's keyboard over to the
    // XTEST device, which tells every client that the keymap changed.
    // Openbox then drops and takes again all of its key bindings, and a key
    // that arrives in between goes to the focused window instead: now and
    // then the first alt+F4 of a session closed nothing. So that first key
    // is pressed here, where it does no harm, and the window manager is
    // given the time to deal with it.
    if (!key(QStringLiteral("shift"))) {
        fail(QStringLiteral("xdotool cannot press a key"));
        return false;
    }
    if (hasWindowManager() && !m_x->syncWindowManager(timeoutMs)) {
        fail(QStringLiteral("openbox does not answer"));
        return false;
    }
    return true;
}

void XSession::fail(const QString& why) {
    if (m_error.isEmpty()) {
        m_error = why;
    }
}

bool XSession::startXvfb(const XSessionOptions& options) {
    QStringList screens = options.screens;
    if (screens.isEmpty()) {
        screens << QStringLiteral("%1x%2x%3")
                       .arg(options.screenSize.width())
                       .arg(options.screenSize.height())
                       .arg(options.depth);
    }
    QString lastError;
    for (int attempt = 0; attempt < 20; ++attempt) {
        // Others run X servers here too; pick at random and let the server's
        // own lock decide any race.
        const int number = 100 + static_cast<int>(QRandomGenerator::global()->bounded(800));
        if (displayInUse(number)) {
            continue;
        }
        QStringList args{QStringLiteral(":%1").arg(number),
                         QStringLiteral("-displayfd"),
                         QStringLiteral("1"),
                         QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"),
                         QStringLiteral("-noreset")};
        for (int i = 0; i < screens.size(); ++i) {
            args << QStringLiteral("-screen") << QString::number(i) << screens[i];
        }
        args << options.extraXvfbArgs;

        auto xvfb = std::make_unique<QProcess>();
        xvfb->setStandardInputFile(QProcess::nullDevice());
        xvfb->setStandardErrorFile(m_runtime.file(QStringLiteral("xvfb.log")));
        dieWithParent(*xvfb, SIGTERM);
        xvfb->start(QStringLiteral("Xvfb"), args);
        if (!xvfb->waitForStarted(options.startTimeoutMs)) {
            fail(QStringLiteral("cannot run Xvfb: ") + xvfb->errorString());
            return false;
        }
        // With -displayfd the server writes its number once it accepts
        // clients; if it exits instead, the number was taken after all.
        QByteArray announced;
        QElapsedTimer clock;
        clock.start();
        while (!announced.contains('\n') && xvfb->state() == QProcess::Running &&
               clock.elapsed() < options.startTimeoutMs) {
            xvfb->waitForReadyRead(100);
            announced += xvfb->readAllStandardOutput();
        }
        if (!announced.contains('\n')) {
            lastError = tailOf(m_runtime.file(QStringLiteral("xvfb.log")), 600);
            stopProcess(*xvfb);
            continue;
        }
        m_display = QStringLiteral(":%1").arg(number);
        m_xvfb = std::move(xvfb);
        m_x = std::make_unique<XConnection>(m_display);
        if (!m_x->ok()) {
            fail(QStringLiteral("Xvfb on %1 does not answer").arg(m_display));
            return false;
        }
        return true;
    }
    fail(QStringLiteral("no Xvfb could start: ") + lastError);
    return false;
}

bool XSession::setMonitors(const std::vector<Monitor>& monitors) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const QRect& g = monitors[i].geometry;
        // The first monitor takes over Xvfb's one output, "screen", which
        // would otherwise stay a monitor covering everything. Sizes in
        // millimetres are for 96 dots per inch.
        const QString name =
            (monitors[i].primary ? QStringLiteral("*") : QString()) + QStringLiteral("m%1").arg(i);
        const QString monitor = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                    .arg(g.width())
                                    .arg(g.width() * 254 / 960)
                                    .arg(g.height())
                                    .arg(g.height() * 254 / 960)
                                    .arg(g.x())
                                    .arg(g.y());
        const ToolResult r = tool(QStringLiteral("xrandr"),
                                  {QStringLiteral("--setmonitor"), name, monitor,
                                   i == 0 ? QStringLiteral("screen") : QStringLiteral("none")});
        if (!r.ok()) {
            fail(QStringLiteral("xrandr --setmonitor %1 %2: %3").arg(name, monitor, r.describe()));
            return false;
        }
    }
    return true;
}

bool XSession::startHelper(std::unique_ptr<QProcess>& process, const QString& program,
                           const QStringList& args) {
    process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(home());
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(m_runtime.file(program + QStringLiteral(".log")));
    process->setStandardErrorFile(m_runtime.file(program + QStringLiteral(".log")),
                                  QIODevice::Append);
    dieWithParent(*process, SIGTERM);
    process->start(program, args);
    if (!process->waitForStarted(5000)) {
        fail(QStringLiteral("cannot run %1: %2").arg(program, process->errorString()));
        process.reset();
        return false;
    }
    return true;
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM",
                             "QT_QPA_PLATFORMTHEME",
                             "QT_SCALE_FACTOR",
                             "QT_SCREEN_SCALE_FACTORS",
                             "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_FONT_DPI",
                             "QT_SCALE_FACTOR_ROUNDING_POLICY",
                             "QT_STYLE_OVERRIDE",
                             "WAYLAND_DISPLAY",
                             "DBUS_SESSION_BUS_ADDRESS",
                             "SESSION_MANAGER",
                             "XAUTHORITY",
                             "XDG_SESSION_TYPE",
                             "XDG_CURRENT_DESKTOP",
                             "DESKTOP_SESSION",
                             "XDG_CONFIG_HOME",
                             "XDG_DATA_HOME",
                             "XDG_CACHE_HOME",
                             "XDG_STATE_HOME",
                             "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID"}) {
        env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("HOME"), home());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    return env;
}

ToolResult XSession::tool(const QString& program, const QStringList& args, int timeoutMs) const {
    return runTool(program, args, environment(), timeoutMs);
}

ToolResult XSession::xdotool(const QStringList& args, int timeoutMs) const {
    return tool(QStringLiteral("xdotool"), args, timeoutMs);
}

std::optional<XWindow> XSession::viewableWindow(const QString& name) {
    for (XWindow w : m_x->findNamed(name)) {
        if (m_x->viewable(w)) {
            return w;
        }
    }
    return std::nullopt;
}

XWindow XSession::trayWindow() {
    if (!m_tray) {
        return 0;
    }
    for (XWindow w : m_x->findClass(QStringLiteral("trayer"))) {
        if (m_x->viewable(w)) {
            return w;
        }
    }
    return 0;
}

std::optional<QRect> XSession::trayIcon() {
    const XWindow tray = trayWindow();
    if (tray == 0) {
        return std::nullopt;
    }
    for (XWindow w : m_x->findNamed(QStringLiteral("huepick"), tray)) {
        if (m_x->viewable(w)) {
            return m_x->geometry(w);
        }
    }
    return std::nullopt;
}

QImage XSession::screenshot() {
    return m_x ? m_x->grab(QRect(QPoint(0, 0), m_x->rootSize())) : QImage();
}

bool XSession::endTray(int signal) {
    if (!m_tray || m_tray->state() != QProcess::Running) {
        return false;
    }
    return ::kill(static_cast<pid_t>(m_tray->processId()), signal) == 0 &&
           m_tray->waitForFinished(5000);
}

bool XSession::endServer(int signal) {
    if (!m_xvfb || m_xvfb->state() != QProcess::Running) {
        return false;
    }
    const qint64 pid = m_xvfb->processId();
    if (::kill(static_cast<pid_t>(pid), signal) != 0 || !m_xvfb->waitForFinished(5000)) {
        return false;
    }
    // A server that dies without its own shutdown leaves its lock and socket
    // behind, which keeps the display number from everyone else. Only what
    // is still the dead server's is removed.
    const QString number = m_display.mid(1);
    const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(number);
    if (const std::optional<QByteArray> owner = readFile(lock);
        owner && owner->trimmed().toLongLong() == pid) {
        QFile::remove(lock);
    }
    const QString socketPath = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    if (!anyoneListens(socketPath)) {
        QFile::remove(socketPath);
    }
    return true;
}

}  // namespace e2e
