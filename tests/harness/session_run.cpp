// SPDX-License-Identifier: MIT
// Running programs inside a session: its environment, its user, and the
// sweep that ends whatever is left of it.
#include <signal.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "blank_cursor.h"
#include "harness/process.h"
#include "wayland_session.h"

namespace e2e::wayland {

namespace {

// Programs of the session start from a clean slate: nothing from the test
// runner's own desktop may choose the platform, scale, theme or bus.
const char kForeignVariables[] =
    "DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET SWAYSOCK I3SOCK DBUS_SESSION_BUS_ADDRESS "
    "QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS "
    "QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI "
    "QT_SCALE_FACTOR_ROUNDING_POLICY QT_STYLE_OVERRIDE QT_WAYLAND_SHELL_INTEGRATION "
    "QT_WAYLAND_DECORATION SESSION_MANAGER XAUTHORITY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP "
    "DESKTOP_SESSION XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME "
    "XCURSOR_PATH XCURSOR_THEME XCURSOR_SIZE KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID "
    "GTK_USE_PORTAL PIPEWIRE_REMOTE";

}  // namespace

QString WaylandSession::reachable(const QString& program) {
    QString path = program;
    if (!program.contains(u'/')) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty()) {
            return program;  // let the start fail with the usual message
        }
    }
    if (!m_user->switches() || m_user->canRun(path)) {
        return path;
    }
    const QString bin = m_root + QStringLiteral("/bin");
    const QString copy = bin + u'/' + QFileInfo(path).fileName();
    if (!QFile::exists(copy)) {
        QDir().mkpath(bin);
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadOther | QFile::ExeOther);
        QFile::copy(path, copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
    }
    return copy;
}

std::unique_ptr<SessionProgram> WaylandSession::run(const QString& program, const QStringList& args,
                                                    QString* why,
                                                    const QMap<QString, QString>& extra) {
    if (!ok()) {
        if (why) {
            *why = QStringLiteral("the session is not up: ") + m_error;
        }
        return nullptr;
    }
    QProcessEnvironment env = environment();
    for (auto it = extra.begin(); it != extra.end(); ++it) {
        if (it.value().isEmpty()) {
            env.remove(it.key());
        } else {
            env.insert(it.key(), it.value());
        }
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(home());
    process->setStandardInputFile(QProcess::nullDevice());
    dieWithParent(*process, SIGTERM);
    const QStringList full = m_user->wrap(QStringList{reachable(program)} + args);
    process->start(full.first(), full.mid(1));
    if (!process->waitForStarted(5000)) {
        if (why) {
            *why = QStringLiteral("cannot run %1: %2").arg(program, process->errorString());
        }
        return nullptr;
    }
    return std::make_unique<SessionProgram>(std::move(process));
}

ToolResult WaylandSession::tool(const QString& program, const QStringList& args,
                                int timeoutMs) const {
    const QStringList full = m_user->wrap(QStringList{program} + args);
    return runTool(full.first(), full.mid(1), environment(), timeoutMs);
}

ToolResult WaylandSession::swaymsg(const QStringList& args, int timeoutMs) const {
    return tool(QStringLiteral("swaymsg"), args, timeoutMs);
}

QProcessEnvironment WaylandSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name :
         QString::fromLatin1(kForeignVariables).split(u' ', Qt::SkipEmptyParts)) {
        env.remove(name);
    }
    env.insert(QStringLiteral("HOME"), home());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    if (m_user && m_user->switches()) {
        env.insert(QStringLiteral("USER"), m_user->name());
        env.insert(QStringLiteral("LOGNAME"), m_user->name());
    }
    if (!m_busAddress.isEmpty()) {
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    }
    if (!m_waylandDisplay.isEmpty()) {
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandDisplay);
        env.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
    }
    if (!m_xDisplay.isEmpty()) {
        env.insert(QStringLiteral("DISPLAY"), m_xDisplay);
    }
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("XCURSOR_PATH"), m_root + QStringLiteral("/icons"));
    env.insert(QStringLiteral("XCURSOR_THEME"), kBlankCursorTheme);
    env.insert(QStringLiteral("XCURSOR_SIZE"), QStringLiteral("24"));
    return env;
}

void WaylandSession::reapStrays() {
    // Anything still running with this session's runtime folder was started
    // inside it (a daemonised wl-copy, a child of sway): end it by PID.
    if (m_root.isEmpty() || !m_user) {
        return;
    }
    const QByteArray marker = "XDG_RUNTIME_DIR=" + runtimeDir().toLocal8Bit();
    QList<pid_t> strays;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric || pid == ::getpid() ||
            QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != m_user->uid()) {
            continue;
        }
        QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker)) {
            strays << pid;
        }
    }
    for (pid_t pid : strays) {
        ::kill(pid, SIGTERM);
    }
    for (pid_t pid : strays) {
        if (!pollUntil([&] { return ::kill(pid, 0) != 0; }, 1000)) {
            ::kill(pid, SIGKILL);
        }
    }
}

}  // namespace e2e::wayland
