// Bringing the session up and down. The parts start in the order the portal
// needs: bus, compositor (with its input holders), then pipewire, the two
// portal backends and the portal frontend.
#include "wayland_session.h"

#include <signal.h>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cstdio>

#include "blank_cursor.h"
#include "wl_process.h"

namespace e2e::wayland {

namespace {

QString colour_text(const QColor& c) {
    return c.name(QColor::HexRgb);
}

}  // namespace

bool WaylandSession::sway_installed() {
    return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty();
}

WaylandSession::WaylandSession(SessionOptions options) : options_(std::move(options)) {
    QElapsedTimer clock;
    clock.start();
    QString why;
    user_ = SessionUser::resolve(&why);
    if (!user_) {
        fail(why);
        return;
    }
    root_ = user_->make_folder(QDir::tempPath(), QStringLiteral("huepick-wl"));
    if (root_.isEmpty()) {
        fail(QStringLiteral("cannot create a session folder in %1").arg(QDir::tempPath()));
        return;
    }
    for (const QString& sub : {QStringLiteral("run"), QStringLiteral("home"),
                               QStringLiteral("scratch"), QStringLiteral("logs")}) {
        const QString path = root_ + u'/' + sub;
        if (!QDir().mkdir(path) ||
            !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
            !user_->give(path)) {
            fail(QStringLiteral("cannot prepare the session folder %1").arg(path));
            return;
        }
    }
    if (!write_blank_cursor_theme(root_ + QStringLiteral("/icons"))) {
        fail(QStringLiteral("cannot write the blank cursor theme"));
        return;
    }
    if (!start_bus() || !start_sway() || !start_input() || !start_keyboard_holder() ||
        (options_.xwayland && !read_x_display())) {
        return;
    }
    switch (options_.portal) {
        case Portal::Real:
            if (!start_portal()) {
                return;
            }
            break;
        case Portal::Absent:
            break;
        default:
            if (!start_stand_in_portal()) {
                return;
            }
    }
    if (!wait_background()) {
        return;
    }
    startup_ms_ = clock.elapsed();
}

WaylandSession::~WaylandSession() {
    if (clipboard_owner_) {
        stop_process(*clipboard_owner_);
    }
    if (!bus_name_.isEmpty()) {
        QDBusConnection::disconnectFromBus(bus_name_);
    }
    // Clients first, the compositor and the bus last.
    for (auto it = helpers_.rbegin(); it != helpers_.rend(); ++it) {
        stop_process(**it);
    }
    reap_strays();
    if (root_.isEmpty()) {
        return;
    }
    if (qEnvironmentVariableIsSet("HUEPICK_WAYLAND_DEBUG")) {
        std::fprintf(stderr, "wayland session: logs kept in %s/logs\n", qPrintable(root_));
        return;
    }
    QDir(root_).removeRecursively();
}

void WaylandSession::fail(const QString& why) {
    if (error_.isEmpty()) {
        error_ = why;
    }
}

QProcess* WaylandSession::start_helper(const QString& label, const QStringList& command,
                                       const QProcessEnvironment& env, bool piped) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(home());
    if (!piped) {
        // Nobody reads its output, and a full pipe would stall the helper.
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(log_path(label), QIODevice::Append);
    }
    process->setStandardErrorFile(log_path(label), QIODevice::Append);
    die_with_parent(*process, SIGTERM);
    const QStringList full = user_->wrap(command);
    process->start(full.first(), full.mid(1));
    if (!process->waitForStarted(5000)) {
        fail(QStringLiteral("cannot run %1: %2").arg(command.first(), process->errorString()));
        return nullptr;
    }
    helpers_.push_back(std::move(process));
    return helpers_.back().get();
}

bool WaylandSession::helper_alive(const QProcess* helper, const QString& label) {
    if (helper && helper->state() == QProcess::Running) {
        return true;
    }
    fail(QStringLiteral("%1 exited: %2").arg(label, tail_of(log_path(label))));
    return false;
}

bool WaylandSession::start_bus() {
    // Our own configuration: no service activation, so that "no portal"
    // stays absent, and this process may join even when it runs as root.
    const QString socket = runtime_dir() + QStringLiteral("/bus");
    const QString config = root_ + QStringLiteral("/bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1").arg(config));
        return false;
    }
    file.write(
        QStringLiteral(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
            "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig>\n  <type>session</type>\n  <listen>unix:path=%1</listen>\n"
            "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n"
            "    <allow user=\"*\"/>\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n"
            "</busconfig>\n")
            .arg(socket)
            .toUtf8());
    file.close();
    bus_address_ = QStringLiteral("unix:path=") + socket;
    QProcess* daemon = start_helper(QStringLiteral("dbus-daemon"),
                                    {QStringLiteral("dbus-daemon"), QStringLiteral("--nofork"),
                                     QStringLiteral("--config-file=") + config},
                                    environment());
    if (!daemon) {
        return false;
    }
    bus_name_ = QStringLiteral("huepick-wl-") + QFileInfo(root_).fileName();
    const bool up = poll_until(
        [&] {
            if (daemon->state() != QProcess::Running || !QFile::exists(socket)) {
                return false;
            }
            if (QDBusConnection::connectToBus(bus_address_, bus_name_).isConnected()) {
                return true;
            }
            QDBusConnection::disconnectFromBus(bus_name_);
            return false;
        },
        options_.start_timeout_ms);
    if (!up) {
        fail(QStringLiteral("the session bus did not come up: ") +
             tail_of(log_path(QStringLiteral("dbus-daemon"))));
    }
    return up;
}

QDBusConnection WaylandSession::bus() const {
    return QDBusConnection(bus_name_);
}

bool WaylandSession::write_sway_config() {
    const QString bg = options_.background_image.isEmpty()
                           ? colour_text(options_.background) + QStringLiteral(" solid_color")
                           : QStringLiteral("\"%1\" fill").arg(options_.background_image);
    const QString text =
        QStringLiteral(
            "output HEADLESS-1 mode %1x%2 position 0 0 scale %3 bg %4\n"
            "default_border none\n"
            "default_floating_border none\n"
            "for_window [app_id=\".*\"] floating enable\n"
            "for_window [class=\".*\"] floating enable\n"
            "focus_follows_mouse no\n"
            "seat seat0 xcursor_theme %5 24\n"
            "xwayland %6\n"
            "%7")
            .arg(options_.output_size.width())
            .arg(options_.output_size.height())
            .arg(options_.scale)
            .arg(bg, kBlankCursorTheme,
                 options_.xwayland ? QStringLiteral("enable") : QStringLiteral("disable"),
                 options_.tray ? QStringLiteral("bar {\n  position top\n  tray_output *\n"
                                                "  tray_padding 2\n}\n")
                               : QString());
    QFile file(root_ + QStringLiteral("/sway.conf"));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

bool WaylandSession::start_sway() {
    if (!write_sway_config()) {
        fail(QStringLiteral("cannot write the sway configuration"));
        return false;
    }
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    env.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("SWAYSOCK"));
    // HUEPICK_WAYLAND_DEBUG: sway logs everything and the logs stay.
    QStringList command{QStringLiteral("sway"), QStringLiteral("-c"),
                        root_ + QStringLiteral("/sway.conf")};
    if (qEnvironmentVariableIsSet("HUEPICK_WAYLAND_DEBUG")) {
        command << QStringLiteral("-d");
    }
    QProcess* compositor = start_helper(QStringLiteral("sway"), command, env);
    if (!compositor) {
        return false;
    }
    // Sway picks the first free name (it skips wayland-0); the folder is
    // ours alone, so any socket in it is sway's.
    QDir run(runtime_dir());
    bool sockets = poll_until(
        [&] {
            if (compositor->state() != QProcess::Running) {
                return true;
            }
            const QStringList wl = run.entryList({QStringLiteral("wayland-*")}, QDir::System);
            const QStringList ipc =
                run.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            for (const QString& name : wl) {
                if (!name.endsWith(QLatin1String(".lock")) && !ipc.isEmpty()) {
                    wayland_display_ = name;
                    sway_socket_ = run.filePath(ipc.first());
                    return true;
                }
            }
            return false;
        },
        options_.start_timeout_ms, 5);
    if (!sockets || !helper_alive(compositor, QStringLiteral("sway"))) {
        fail(QStringLiteral("sway did not open its sockets: ") +
             tail_of(log_path(QStringLiteral("sway"))));
        return false;
    }
    // The output must exist with the asked size and scale before anything
    // draws or points at it.
    QString seen;
    const bool output = poll_until(
        [&] {
            const ToolResult r = swaymsg({QStringLiteral("-t"), QStringLiteral("get_outputs")});
            const QJsonArray outputs = QJsonDocument::fromJson(r.out).array();
            seen = r.ok() ? QString::fromUtf8(r.out.left(200)) : r.describe();
            for (const QJsonValue& o : outputs) {
                const QJsonObject rect = o[QLatin1String("rect")].toObject();
                if (o[QLatin1String("active")].toBool() &&
                    rect[QLatin1String("width")].toInt() == logical_size().width() &&
                    rect[QLatin1String("height")].toInt() == logical_size().height()) {
                    return true;
                }
            }
            return false;
        },
        options_.start_timeout_ms, 20);
    if (!output) {
        fail(QStringLiteral("sway has no %1x%2 output at scale %3: %4; log: %5")
                 .arg(options_.output_size.width())
                 .arg(options_.output_size.height())
                 .arg(options_.scale)
                 .arg(seen, tail_of(log_path(QStringLiteral("sway")))));
        return false;
    }
    return true;
}

bool WaylandSession::wait_background() {
    // swaybg draws a moment after the output appears; the bottom-left corner,
    // where no bar lies.
    const QPoint probe(0, logical_size().height() - 1);
    std::optional<QRgb> want = options_.background.rgb();
    if (!options_.background_image.isEmpty()) {
        background_ = QImage(options_.background_image).convertToFormat(QImage::Format_RGB32);
        want = background_at(probe * options_.scale);
    }
    std::optional<QColor> seen;
    const bool drawn = poll_until(
        [&] {
            seen = pixel(probe);
            return seen && (want ? seen->rgb() == *want : seen->rgb() != qRgb(0, 0, 0));
        },
        options_.start_timeout_ms, 20);
    if (!drawn) {
        fail(QStringLiteral("the background never showed (pixel %1, expected %2): %3")
                 .arg(seen ? colour_text(*seen) : QStringLiteral("unreadable"),
                      want ? colour_text(QColor(*want)) : QStringLiteral("not black"),
                      tail_of(log_path(QStringLiteral("sway")))));
    }
    return drawn;
}

}  // namespace e2e::wayland
