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

QString tail_of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = file.readAll();
    return QString::fromLocal8Bit(text.right(600)).trimmed();
}

bool display_in_use(int number) {
    return QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
}

bool anyone_listens(const QString& socket_path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socket_path);
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
    if (!runtime_.ok() || !home_.ok()) {
        fail(QStringLiteral("cannot create the session's folders"));
        return;
    }
    if (!start_xvfb(options)) {
        return;
    }
    if (!options.monitors.empty() && !set_monitors(options.monitors)) {
        return;
    }
    if (options.window_manager) {
        // Openbox owns WM_S0 and sets _NET_SUPPORTING_WM_CHECK long before
        // its set-up is done; a dock that maps in between may stay unmanaged
        // and unmapped. Its start-up command runs once it is ready.
        const QString ready = runtime_.file(QStringLiteral("openbox.ready"));
        if (!start_helper(wm_, QStringLiteral("openbox"),
                          {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                           QStringLiteral("touch ") + ready})) {
            return;
        }
        const bool managed = poll_until(
            [&] {
                return QFile::exists(ready) && x_->selection_owner("WM_S0") != 0 &&
                       x_->window_property(x_->root(), "_NET_SUPPORTING_WM_CHECK").has_value();
            },
            options.start_timeout_ms);
        if (!managed) {
            fail(QStringLiteral("openbox did not take over the screen: ") +
                 tail_of(runtime_.file(QStringLiteral("openbox.log"))));
            return;
        }
    }
    if (!settle_keyboard(options.start_timeout_ms)) {
        return;
    }
    if (options.tray) {
        if (!start_helper(
                tray_, QStringLiteral("trayer"),
                {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                 QStringLiteral("right"), QStringLiteral("--height"), QStringLiteral("24"),
                 QStringLiteral("--SetDockType"), QStringLiteral("true"),
                 QStringLiteral("--SetPartialStrut"), QStringLiteral("true")})) {
            return;
        }
        const bool docked = poll_until(
            [this] {
                return x_->selection_owner("_NET_SYSTEM_TRAY_S0") != 0 && tray_window() != 0;
            },
            options.start_timeout_ms);
        if (!docked) {
            QString seen;
            for (XWindow w : x_->find_class(QStringLiteral("trayer"))) {
                const auto g = x_->geometry(w);
                seen += QStringLiteral(" window 0x%1 %2 viewable=%3 at %4,%5")
                            .arg(w, 0, 16)
                            .arg(x_->name(w))
                            .arg(x_->viewable(w))
                            .arg(g ? g->x() : -1)
                            .arg(g ? g->y() : -1);
            }
            fail(QStringLiteral("trayer did not provide a notification area (selection owner "
                                "0x%1, running %2;%3): %4")
                     .arg(x_->selection_owner("_NET_SYSTEM_TRAY_S0"), 0, 16)
                     .arg(tray_->state() == QProcess::Running)
                     .arg(seen, tail_of(runtime_.file(QStringLiteral("trayer.log")))));
            return;
        }
    }
}

XSession::~XSession() {
    // Clients first, so that the server goes down with no one attached.
    for (const std::unique_ptr<QProcess>& p : sentinels_) {
        stop_process(*p, 200);
    }
    for (std::unique_ptr<QProcess>* p : {&tray_, &wm_}) {
        if (*p) {
            stop_process(**p);
        }
    }
    x_.reset();
    if (xvfb_) {
        stop_process(*xvfb_);
    }
}

bool XSession::settle_keyboard(int timeout_ms) {
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
    if (has_window_manager() && !x_->sync_window_manager(timeout_ms)) {
        fail(QStringLiteral("openbox does not answer"));
        return false;
    }
    return true;
}

void XSession::fail(const QString& why) {
    if (error_.isEmpty()) {
        error_ = why;
    }
}

bool XSession::start_xvfb(const XSessionOptions& options) {
    QStringList screens = options.screens;
    if (screens.isEmpty()) {
        screens << QStringLiteral("%1x%2x%3")
                       .arg(options.screen_size.width())
                       .arg(options.screen_size.height())
                       .arg(options.depth);
    }
    QString last_error;
    for (int attempt = 0; attempt < 20; ++attempt) {
        // Others run X servers here too; pick at random and let the server's
        // own lock decide any race.
        const int number = 100 + static_cast<int>(QRandomGenerator::global()->bounded(800));
        if (display_in_use(number)) {
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
        args << options.extra_xvfb_args;

        auto xvfb = std::make_unique<QProcess>();
        xvfb->setStandardInputFile(QProcess::nullDevice());
        xvfb->setStandardErrorFile(runtime_.file(QStringLiteral("xvfb.log")));
        die_with_parent(*xvfb, SIGTERM);
        xvfb->start(QStringLiteral("Xvfb"), args);
        if (!xvfb->waitForStarted(options.start_timeout_ms)) {
            fail(QStringLiteral("cannot run Xvfb: ") + xvfb->errorString());
            return false;
        }
        // With -displayfd the server writes its number once it accepts
        // clients; if it exits instead, the number was taken after all.
        QByteArray announced;
        QElapsedTimer clock;
        clock.start();
        while (!announced.contains('\n') && xvfb->state() == QProcess::Running &&
               clock.elapsed() < options.start_timeout_ms) {
            xvfb->waitForReadyRead(100);
            announced += xvfb->readAllStandardOutput();
        }
        if (!announced.contains('\n')) {
            last_error = tail_of(runtime_.file(QStringLiteral("xvfb.log")));
            stop_process(*xvfb);
            continue;
        }
        display_ = QStringLiteral(":%1").arg(number);
        xvfb_ = std::move(xvfb);
        x_ = std::make_unique<XConnection>(display_);
        if (!x_->ok()) {
            fail(QStringLiteral("Xvfb on %1 does not answer").arg(display_));
            return false;
        }
        return true;
    }
    fail(QStringLiteral("no Xvfb could start: ") + last_error);
    return false;
}

bool XSession::set_monitors(const std::vector<Monitor>& monitors) {
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

bool XSession::start_helper(std::unique_ptr<QProcess>& process, const QString& program,
                            const QStringList& args) {
    process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(home());
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(runtime_.file(program + QStringLiteral(".log")));
    process->setStandardErrorFile(runtime_.file(program + QStringLiteral(".log")),
                                  QIODevice::Append);
    die_with_parent(*process, SIGTERM);
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
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("HOME"), home());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_dir());
    return env;
}

ToolResult XSession::tool(const QString& program, const QStringList& args, int timeout_ms) const {
    return run_tool(program, args, environment(), timeout_ms);
}

ToolResult XSession::xdotool(const QStringList& args, int timeout_ms) const {
    return tool(QStringLiteral("xdotool"), args, timeout_ms);
}

std::optional<XWindow> XSession::viewable_window(const QString& name) {
    for (XWindow w : x_->find_named(name)) {
        if (x_->viewable(w)) {
            return w;
        }
    }
    return std::nullopt;
}

XWindow XSession::tray_window() {
    if (!tray_) {
        return 0;
    }
    for (XWindow w : x_->find_class(QStringLiteral("trayer"))) {
        if (x_->viewable(w)) {
            return w;
        }
    }
    return 0;
}

std::optional<QRect> XSession::tray_icon() {
    const XWindow tray = tray_window();
    if (tray == 0) {
        return std::nullopt;
    }
    for (XWindow w : x_->find_named(QStringLiteral("huepick"), tray)) {
        if (x_->viewable(w)) {
            return x_->geometry(w);
        }
    }
    return std::nullopt;
}

QImage XSession::screenshot() {
    return x_ ? x_->grab(QRect(QPoint(0, 0), x_->root_size())) : QImage();
}

bool XSession::end_tray(int signal) {
    if (!tray_ || tray_->state() != QProcess::Running) {
        return false;
    }
    return ::kill(static_cast<pid_t>(tray_->processId()), signal) == 0 &&
           tray_->waitForFinished(5000);
}

bool XSession::end_server(int signal) {
    if (!xvfb_ || xvfb_->state() != QProcess::Running) {
        return false;
    }
    const qint64 pid = xvfb_->processId();
    if (::kill(static_cast<pid_t>(pid), signal) != 0 || !xvfb_->waitForFinished(5000)) {
        return false;
    }
    // A server that dies without its own shutdown leaves its lock and socket
    // behind, which keeps the display number from everyone else. Only what
    // is still the dead server's is removed.
    const QString number = display_.mid(1);
    const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(number);
    if (const std::optional<QByteArray> owner = read_file(lock);
        owner && owner->trimmed().toLongLong() == pid) {
        QFile::remove(lock);
    }
    const QString socket_path = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    if (!anyone_listens(socket_path)) {
        QFile::remove(socket_path);
    }
    return true;
}

}  // namespace e2e
