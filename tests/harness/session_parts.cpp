// SPDX-License-Identifier: MIT
// The parts of a session that come after the compositor: the input holders,
// the real screenshot portal, or a stand-in that misbehaves on purpose.
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "wayland_session.h"

namespace e2e::wayland {

namespace {

bool nameHasOwner(const QDBusConnection& bus, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << name;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

// The Screenshot interface's version as the frontend reports it; 0 while
// it is not (yet) offered.
uint screenshotVersion(const QDBusConnection& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.freedesktop.portal.Screenshot") << QStringLiteral("version");
    const QDBusMessage reply = bus.call(call, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return 0;
    }
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toUInt();
}

QString standInMode(Portal portal) {
    switch (portal) {
        case Portal::Cancels:
            return QStringLiteral("cancel");
        case Portal::Refuses:
            return QStringLiteral("refuse");
        case Portal::ErrorReply:
            return QStringLiteral("error");
        case Portal::Silent:
            return QStringLiteral("silent");
        case Portal::NoReply:
            return QStringLiteral("noreply");
        case Portal::Canned:
            return QStringLiteral("canned");
        default:
            return {};
    }
}

}  // namespace

bool WaylandSession::startInput() {
    // Input coordinates cover the whole layout: the one output, logically.
    QProcess* holder = startHelper(
        QStringLiteral("wl_input"),
        {reachable(QStringLiteral(HUEPICK_WL_INPUT_BIN)), QString::number(logicalSize().width()),
         QString::number(logicalSize().height())},
        environment(), true);
    if (!holder) {
        return false;
    }
    const bool ready = pollUntil(
        [&] {
            holder->waitForReadyRead(20);
            return holder->canReadLine() || holder->state() != QProcess::Running;
        },
        m_options.startTimeoutMs, 0);
    if (!ready || holder->readLine().trimmed() != "ready") {
        fail(QStringLiteral("the virtual pointer did not connect: ") +
             tailOf(logPath(QStringLiteral("wl_input"))));
        return false;
    }
    m_pointer = holder;
    return true;
}

bool WaylandSession::startKeyboardHolder() {
    // A seat without a keyboard drops most keys of a short-lived wtype; one
    // that stays connected (it sleeps for weeks before its only key) keeps
    // the seat's keyboard alive for all later ones.
    m_keyboard =
        startHelper(QStringLiteral("wtype"),
                    {QStringLiteral("wtype"), QStringLiteral("-s"), QStringLiteral("2000000000"),
                     QStringLiteral("-k"), QStringLiteral("F35")},
                    environment());
    if (!m_keyboard) {
        return false;
    }
    QString seen;
    const bool ready = pollUntil(
        [&] {
            if (m_keyboard->state() != QProcess::Running) {
                return true;
            }
            const ToolResult r = swaymsg({QStringLiteral("-t"), QStringLiteral("get_inputs")});
            seen = r.ok() ? QString::fromUtf8(r.out.left(300)) : r.describe();
            bool pointer = false;
            bool keyboard = false;
            for (const QJsonValue& input : QJsonDocument::fromJson(r.out).array()) {
                const QString type = input[QLatin1String("type")].toString();
                pointer = pointer || type == QLatin1String("pointer");
                keyboard = keyboard || type == QLatin1String("keyboard");
            }
            return pointer && keyboard;
        },
        m_options.startTimeoutMs, 20);
    if (!ready || !helperAlive(m_keyboard, QStringLiteral("wtype"))) {
        fail(QStringLiteral("the seat has no virtual pointer and keyboard: ") + seen);
        return false;
    }
    return true;
}

bool WaylandSession::ensureKeyboard() {
    if (m_keyboard && m_keyboard->state() == QProcess::Running) {
        return true;
    }
    qWarning("wayland session: the keyboard holder exited (%s); starting another",
             qPrintable(tailOf(logPath(QStringLiteral("wtype")))));
    return startKeyboardHolder();
}

bool WaylandSession::readXDisplay() {
    // XWayland starts on demand; sway knows its display name from the start.
    const QString file = scratchDir() + QStringLiteral("/display");
    const ToolResult r = swaymsg(
        {QStringLiteral("exec"), QStringLiteral("printf %s \"$DISPLAY\" > '%1'").arg(file)});
    QString display;
    pollUntil(
        [&] {
            QFile f(file);
            display = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
            return !display.isEmpty();
        },
        m_options.startTimeoutMs, 10);
    if (!r.ok() || display.isEmpty()) {
        fail(QStringLiteral("cannot learn XWayland's display: ") + r.describe());
        return false;
    }
    m_xDisplay = display;
    return true;
}

bool WaylandSession::startPortal() {
    // The wlr backend always writes its screenshot to this one file (through
    // grim); a file of another user there makes every screenshot fail.
    const QFileInfo shot(QStringLiteral("/tmp/out.png"));
    if (shot.exists() && shot.ownerId() != m_user->uid()) {
        fail(QStringLiteral("/tmp/out.png belongs to uid %1, so the wlr portal (uid %2) cannot "
                            "write its screenshots; remove it")
                 .arg(shot.ownerId())
                 .arg(m_user->uid()));
        return false;
    }
    const QProcessEnvironment env = environment();
    // The wlr backend exits at once without pipewire.
    QProcess* pipewire = startHelper(QStringLiteral("pipewire"), {QStringLiteral("pipewire")}, env);
    if (!pipewire) {
        return false;
    }
    const QString socket = runtimeDir() + QStringLiteral("/pipewire-0");
    if (!pollUntil([&] { return QFile::exists(socket) || pipewire->state() != QProcess::Running; },
                   m_options.startTimeoutMs, 5) ||
        !helperAlive(pipewire, QStringLiteral("pipewire")) || !QFile::exists(socket)) {
        fail(QStringLiteral("pipewire did not open its socket: ") +
             tailOf(logPath(QStringLiteral("pipewire"))));
        return false;
    }
    // The frontend offers Screenshot only when some backend provides Access,
    // hence the gtk backend beside the wlr one.
    const struct {
        QString label;
        QString name;
    } backends[] = {
        {QStringLiteral("xdg-desktop-portal-wlr"),
         QStringLiteral("org.freedesktop.impl.portal.desktop.wlr")},
        {QStringLiteral("xdg-desktop-portal-gtk"),
         QStringLiteral("org.freedesktop.impl.portal.desktop.gtk")},
    };
    std::vector<QProcess*> started;
    for (const auto& backend : backends) {
        QProcess* p =
            startHelper(backend.label, {QStringLiteral("/usr/libexec/") + backend.label}, env);
        if (!p) {
            return false;
        }
        started.push_back(p);
    }
    for (std::size_t i = 0; i < started.size(); ++i) {
        const bool named = pollUntil(
            [&] {
                return started[i]->state() != QProcess::Running ||
                       nameHasOwner(bus(), backends[i].name);
            },
            m_options.startTimeoutMs, 10);
        if (!named || !helperAlive(started[i], backends[i].label)) {
            fail(QStringLiteral("%1 did not take its bus name: %2")
                     .arg(backends[i].label, tailOf(logPath(backends[i].label))));
            return false;
        }
    }
    const QString label = QStringLiteral("xdg-desktop-portal");
    QProcess* frontend = startHelper(label, {QStringLiteral("/usr/libexec/") + label}, env);
    if (!frontend) {
        return false;
    }
    const bool offered = pollUntil(
        [&] { return frontend->state() != QProcess::Running || screenshotVersion(bus()) > 0; },
        m_options.startTimeoutMs, 10);
    if (!offered || !helperAlive(frontend, label)) {
        fail(QStringLiteral("the portal frontend does not offer Screenshot: ") +
             tailOf(logPath(label)));
        return false;
    }
    return true;
}

bool WaylandSession::startStandInPortal() {
    QStringList command{reachable(QStringLiteral(HUEPICK_FAKE_PORTAL_BIN)),
                        standInMode(m_options.portal)};
    if (m_options.portal == Portal::Canned) {
        command << QStringLiteral("--uri") << m_options.portalUri;
    }
    if (m_options.portalOddPath) {
        command << QStringLiteral("--odd-path");
    }
    const QString label = QStringLiteral("fake_portal");
    QProcess* portal = startHelper(label, command, environment(), true);
    if (!portal) {
        return false;
    }
    const bool ready = pollUntil(
        [&] {
            portal->waitForReadyRead(20);
            return portal->canReadLine() || portal->state() != QProcess::Running;
        },
        m_options.startTimeoutMs, 0);
    if (!ready || portal->readLine().trimmed() != "ready") {
        fail(QStringLiteral("the stand-in portal did not start: ") + tailOf(logPath(label)));
        return false;
    }
    return true;
}

}  // namespace e2e::wayland
