#include "harness/x_session.h"

#include <QFile>
#include <QRandomGenerator>
#include <csignal>

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

std::optional<QPoint> XSession::pointer() {
    const ToolResult r = xdotool({QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
    if (!r.ok()) {
        return std::nullopt;
    }
    QPoint at;
    int seen = 0;
    for (const QString& line : r.out.split(u'\n')) {
        if (line.startsWith(QLatin1String("X="))) {
            at.setX(line.mid(2).toInt());
            ++seen;
        } else if (line.startsWith(QLatin1String("Y="))) {
            at.setY(line.mid(2).toInt());
            ++seen;
        }
    }
    return seen == 2 ? std::optional<QPoint>(at) : std::nullopt;
}

bool XSession::mouse_move(QPoint to) {
    // "mousemove --sync" waits for a motion that never comes when the
    // pointer is already there, so move without it and check by polling.
    if (pointer() == to) {
        return true;
    }
    if (!xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())})
             .ok()) {
        return false;
    }
    return poll_until([&] { return pointer() == to; }, 2000, 5);
}

bool XSession::click(int button) {
    return xdotool({QStringLiteral("click"), QString::number(button)}).ok();
}

bool XSession::mouse_down(int button) {
    return xdotool({QStringLiteral("mousedown"), QString::number(button)}).ok();
}

bool XSession::mouse_up(int button) {
    return xdotool({QStringLiteral("mouseup"), QString::number(button)}).ok();
}

bool XSession::key(const QString& keys) {
    return xdotool({QStringLiteral("key"), keys}).ok();
}

bool XSession::type(const QString& text) {
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text},
                   10000)
        .ok();
}

bool XSession::activate(XWindow window) {
    const QString id = QString::number(window);
    // Keys typed through XTEST go to the focused window, and only the
    // window manager can hand out the focus reliably while it runs.
    const QString verb =
        has_window_manager() ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus");
    if (!xdotool({verb, id}).ok()) {
        return false;
    }
    if (!has_window_manager()) {
        return true;
    }
    return poll_until([&] { return active_window() == window; }, 3000);
}

std::optional<XWindow> XSession::active_window() {
    const ToolResult r = xdotool({QStringLiteral("getactivewindow")});
    bool parsed = false;
    const XWindow id = r.out.trimmed().toUInt(&parsed);
    return r.ok() && parsed ? std::optional<XWindow>(id) : std::nullopt;
}

std::optional<QString> XSession::clipboard() const {
    const ToolResult r = tool(
        QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")}, 1500);
    return r.ok() ? std::optional<QString>(r.out) : std::nullopt;
}

std::optional<QString> XSession::wait_clipboard(const QString& expected, int timeout_ms) const {
    std::optional<QString> seen;
    poll_until(
        [&] {
            seen = clipboard();
            return seen == expected;
        },
        timeout_ms, 20);
    return seen;
}

std::optional<QString> XSession::wait_clipboard_change(const std::optional<QString>& previous,
                                                       int timeout_ms) const {
    std::optional<QString> seen;
    poll_until(
        [&] {
            seen = clipboard();
            return seen != previous;
        },
        timeout_ms, 20);
    return seen;
}

QImage XSession::screenshot() const {
    static int counter = 0;
    const QString path = runtime_.file(QStringLiteral("shot-%1.png").arg(++counter));
    // Another "import" may come first on PATH.
    const ToolResult r = tool(
        QStringLiteral("/usr/bin/import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:") + path}, 10000);
    QImage image;
    if (r.ok()) {
        image.load(path, "PNG");
    }
    QFile::remove(path);
    return image;
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

}  // namespace e2e
