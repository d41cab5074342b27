// SPDX-License-Identifier: MIT
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
#include "harness/process.h"

namespace e2e::wayland {

namespace {

QString colourText(const QColor& c) {
    return c.name(QColor::HexRgb);
}

}  // namespace

bool WaylandSession::swayInstalled() {
    return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty();
}

WaylandSession::WaylandSession(SessionOptions options) : m_options(std::move(options)) {
    QElapsedTimer clock;
    clock.start();
    QString why;
    m_user = SessionUser::resolve(&why);
    if (!m_user) {
        fail(why);
        return;
    }
    m_root = m_user->makeFolder(QDir::tempPath(), QStringLiteral("huepick-wl"));
    if (m_root.isEmpty()) {
        fail(QStringLiteral("cannot create a session folder in %1").arg(QDir::tempPath()));
        return;
    }
    for (const QString& sub : {QStringLiteral("run"), QStringLiteral("home"),
                               QStringLiteral("scratch"), QStringLiteral("logs")}) {
        const QString path = m_root + u'/' + sub;
        if (!QDir().mkdir(path) ||
            !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
            !m_user->give(path)) {
            fail(QStringLiteral("cannot prepare the session folder %1").arg(path));
            return;
        }
    }
    if (!writeBlankCursorTheme(m_root + QStringLiteral("/icons"))) {
        fail(QStringLiteral("cannot write the blank cursor theme"));
        return;
    }
    if (!startBus() || !startSway() || !startInput() || !startKeyboardHolder() ||
        (m_options.xwayland && !readXDisplay())) {
        return;
    }
    switch (m_options.portal) {
        case Portal::Real:
            if (!startPortal()) {
                return;
            }
            break;
        case Portal::Absent:
            break;
        default:
            if (!startStandInPortal()) {
                return;
            }
    }
    if (!waitBackground()) {
        return;
    }
    m_startupMs = clock.elapsed();
}

WaylandSession::~WaylandSession() {
    if (m_clipboardOwner) {
        stopProcess(*m_clipboardOwner);
    }
    if (!m_busName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_busName);
    }
    // Clients first, the compositor and the bus last.
    for (auto it = m_helpers.rbegin(); it != m_helpers.rend(); ++it) {
        stopProcess(**it);
    }
    reapStrays();
    if (m_root.isEmpty()) {
        return;
    }
    if (qEnvironmentVariableIsSet("HUEPICK_WAYLAND_DEBUG")) {
        std::fprintf(stderr, "wayland session: logs kept in %s/logs\n", qPrintable(m_root));
        return;
    }
    QDir(m_root).removeRecursively();
}

void WaylandSession::fail(const QString& why) {
    if (m_error.isEmpty()) {
        m_error = why;
    }
}

QProcess* WaylandSession::startHelper(const QString& label, const QStringList& command,
                                      const QProcessEnvironment& env, bool piped) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(home());
    if (!piped) {
        // Nobody reads its output, and a full pipe would stall the helper.
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(logPath(label), QIODevice::Append);
    }
    process->setStandardErrorFile(logPath(label), QIODevice::Append);
    dieWithParent(*process, SIGTERM);
    const QStringList full = m_user->wrap(command);
    process->start(full.first(), full.mid(1));
    if (!process->waitForStarted(5000)) {
        fail(QStringLiteral("cannot run %1: %2").arg(command.first(), process->errorString()));
        return nullptr;
    }
    m_helpers.push_back(std::move(process));
    return m_helpers.back().get();
}

bool WaylandSession::helperAlive(const QProcess* helper, const QString& label) {
    if (helper && helper->state() == QProcess::Running) {
        return true;
    }
    fail(QStringLiteral("%1 exited: %2").arg(label, tailOf(logPath(label))));
    return false;
}

bool WaylandSession::startBus() {
    // Our own configuration: no service activation, so that "no portal"
    // stays absent, and this process may join even when it runs as root.
    const QString socket = runtimeDir() + QStringLiteral("/bus");
    const QString config = m_root + QStringLiteral("/bus.conf");
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
    m_busAddress = QStringLiteral("unix:path=") + socket;
    QProcess* daemon = startHelper(QStringLiteral("dbus-daemon"),
                                   {QStringLiteral("dbus-daemon"), QStringLiteral("--nofork"),
                                    QStringLiteral("--config-file=") + config},
                                   environment());
    if (!daemon) {
        return false;
    }
    m_busName = QStringLiteral("huepick-wl-") + QFileInfo(m_root).fileName();
    const bool up = pollUntil(
        [&] {
            if (daemon->state() != QProcess::Running || !QFile::exists(socket)) {
                return false;
            }
            if (QDBusConnection::connectToBus(m_busAddress, m_busName).isConnected()) {
                return true;
            }
            QDBusConnection::disconnectFromBus(m_busName);
            return false;
        },
        m_options.startTimeoutMs);
    if (!up) {
        fail(QStringLiteral("the session bus did not come up: ") +
             tailOf(logPath(QStringLiteral("dbus-daemon"))));
    }
    return up;
}

QDBusConnection WaylandSession::bus() const {
    return QDBusConnection(m_busName);
}

bool WaylandSession::writeSwayConfig() {
    const QString bg = m_options.backgroundImage.isEmpty()
                           ? colourText(m_options.background) + QStringLiteral(" solid_color")
                           : QStringLiteral("\"%1\" fill").arg(m_options.backgroundImage);
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
            .arg(m_options.outputSize.width())
            .arg(m_options.outputSize.height())
            .arg(m_options.scale)
            .arg(bg, kBlankCursorTheme,
                 m_options.xwayland ? QStringLiteral("enable") : QStringLiteral("disable"),
                 m_options.tray ? QStringLiteral("bar {\n  position top\n  tray_output *\n"
                                                 "  tray_padding 2\n}\n")
                                : QString());
    QFile file(m_root + QStringLiteral("/sway.conf"));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

bool WaylandSession::startSway() {
    if (!writeSwayConfig()) {
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
                        m_root + QStringLiteral("/sway.conf")};
    if (qEnvironmentVariableIsSet("HUEPICK_WAYLAND_DEBUG")) {
        command << QStringLiteral("-d");
    }
    QProcess* compositor = startHelper(QStringLiteral("sway"), command, env);
    if (!compositor) {
        return false;
    }
    // Sway picks the first free name (it skips wayland-0); the folder is
    // ours alone, so any socket in it is sway's.
    QDir run(runtimeDir());
    bool sockets = pollUntil(
        [&] {
            if (compositor->state() != QProcess::Running) {
                return true;
            }
            const QStringList wl = run.entryList({QStringLiteral("wayland-*")}, QDir::System);
            const QStringList ipc =
                run.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            for (const QString& name : wl) {
                if (!name.endsWith(QLatin1String(".lock")) && !ipc.isEmpty()) {
                    m_waylandDisplay = name;
                    m_swaySocket = run.filePath(ipc.first());
                    return true;
                }
            }
            return false;
        },
        m_options.startTimeoutMs, 5);
    if (!sockets || !helperAlive(compositor, QStringLiteral("sway"))) {
        fail(QStringLiteral("sway did not open its sockets: ") +
             tailOf(logPath(QStringLiteral("sway"))));
        return false;
    }
    // The output must exist with the asked size and scale before anything
    // draws or points at it.
    QString seen;
    const bool output = pollUntil(
        [&] {
            const ToolResult r = swaymsg({QStringLiteral("-t"), QStringLiteral("get_outputs")});
            const QJsonArray outputs = QJsonDocument::fromJson(r.out).array();
            seen = r.ok() ? QString::fromUtf8(r.out.left(200)) : r.describe();
            for (const QJsonValue& o : outputs) {
                const QJsonObject rect = o[QLatin1String("rect")].toObject();
                if (o[QLatin1String("active")].toBool() &&
                    rect[QLatin1String("width")].toInt() == logicalSize().width() &&
                    rect[QLatin1String("height")].toInt() == logicalSize().height()) {
                    return true;
                }
            }
            return false;
        },
        m_options.startTimeoutMs, 20);
    if (!output) {
        fail(QStringLiteral("sway has no %1x%2 output at scale %3: %4; log: %5")
                 .arg(m_options.outputSize.width())
                 .arg(m_options.outputSize.height())
                 .arg(m_options.scale)
                 .arg(seen, tailOf(logPath(QStringLiteral("sway")))));
        return false;
    }
    return true;
}

bool WaylandSession::waitBackground() {
    // swaybg draws a moment after the output appears; the bottom-left corner,
    // where no bar lies.
    const QPoint probe(0, logicalSize().height() - 1);
    std::optional<QRgb> want = m_options.background.rgb();
    if (!m_options.backgroundImage.isEmpty()) {
        m_background = QImage(m_options.backgroundImage).convertToFormat(QImage::Format_RGB32);
        want = backgroundAt(probe * m_options.scale);
    }
    std::optional<QColor> seen;
    const bool drawn = pollUntil(
        [&] {
            seen = pixel(probe);
            return seen && (want ? seen->rgb() == *want : seen->rgb() != qRgb(0, 0, 0));
        },
        m_options.startTimeoutMs, 20);
    if (!drawn) {
        fail(QStringLiteral("the background never showed (pixel %1, expected %2): %3")
                 .arg(seen ? colourText(*seen) : QStringLiteral("unreadable"),
                      want ? colourText(QColor(*want)) : QStringLiteral("not black"),
                      tailOf(logPath(QStringLiteral("sway")))));
    }
    return drawn;
}

}  // namespace e2e::wayland
