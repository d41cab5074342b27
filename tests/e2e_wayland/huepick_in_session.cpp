// SPDX-License-Identifier: MIT
#include "huepick_in_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace e2e::wayland {

namespace {

// A point of the palette clear of every control.
constexpr QPointF kBackground{200, 30};

bool copyExecutable(const QString& from, const QString& to) {
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadOther | QFile::ExeOther);
}

}  // namespace

QByteArray iniWithColour(const char* hex) {
    return QByteArray("[settings]\nlastcolor=") + hex + "\n";
}

HuepickInSession::HuepickInSession(WaylandSession& session, std::optional<QByteArray> ini)
    : m_session(session), m_ini(std::move(ini)) {}

bool HuepickInSession::layOut() {
    if (m_laidOut) {
        return true;
    }
    m_folder = m_session.scratchDir() + QStringLiteral("/app");
    const QString binary = QStringLiteral(HUEPICK_BIN);
    if (!QDir().mkpath(m_folder) ||
        !copyExecutable(binary, m_folder + QStringLiteral("/huepick")) ||
        !QFile::copy(QFileInfo(binary).dir().filePath(QStringLiteral("help.html")),
                     m_folder + QStringLiteral("/help.html"))) {
        m_error = QStringLiteral("cannot lay out the application folder %1").arg(m_folder);
        return false;
    }
    if (m_ini) {
        QFile file(m_folder + QStringLiteral("/huepick.ini"));
        if (!file.open(QIODevice::WriteOnly) || file.write(*m_ini) != m_ini->size()) {
            m_error = QStringLiteral("cannot write huepick.ini");
            return false;
        }
    }
    if (!m_session.user().give(m_folder)) {
        m_error = QStringLiteral("cannot give %1 to the session's user").arg(m_folder);
        return false;
    }
    for (const QString& name : QDir(m_folder).entryList(QDir::Files)) {
        m_session.user().give(m_folder + u'/' + name);
    }
    m_laidOut = true;
    return true;
}

std::unique_ptr<SessionProgram> HuepickInSession::run(const QStringList& args) {
    if (!layOut()) {
        return nullptr;
    }
    return m_session.run(m_folder + QStringLiteral("/huepick"), args, &m_error,
                         {{QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")},
                          {QStringLiteral("QT_QPA_PLATFORM"), QString()}});
}

bool HuepickInSession::start() {
    m_program = run({});
    if (!m_program) {
        return false;
    }
    const std::optional<QRect> window = m_session.waitWindow(m_program->pid(), 10000);
    if (!window) {
        m_error = QStringLiteral("no window came up; stderr: ") + m_program->stderrText();
        return false;
    }
    m_window = *window;
    return true;
}

bool HuepickInSession::click(QPointF local, Qt::MouseButton button) {
    return m_session.click(at(local), button);
}

bool HuepickInSession::keyAt(QPointF local, const QString& combo) {
    return m_session.move(at(local)) && m_session.key(combo);
}

std::optional<QString> HuepickInSession::copyField(QPointF local) {
    // Whatever is read afterwards was copied by the press below, not before.
    const QString sentinel = QStringLiteral("sentinel %1").arg(++m_copies);
    // Crossing the background enables the fields a copy disabled before. The
    // move that enters a window only enters it; the next one moves over it.
    if (!m_session.setClipboard(sentinel) || !m_session.move(at(kBackground)) ||
        !m_session.move(at(kBackground + QPointF(2, 1))) || !click(local, Qt::RightButton)) {
        return std::nullopt;
    }
    std::optional<QString> text;
    pollUntil(
        [&] {
            text = m_session.clipboard();
            return text && *text != sentinel;
        },
        3000, 20);
    return text;
}

int HuepickInSession::pickingWindows() const {
    return static_cast<int>(m_session.windowsOf(m_program->pid()).size()) - 1;
}

bool HuepickInSession::waitPickingWindows(int count, int timeoutMs) const {
    return pollUntil([&] { return pickingWindows() == count; }, timeoutMs);
}

QByteArray HuepickInSession::iniText() const {
    QFile file(m_folder + QStringLiteral("/huepick.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QString> HuepickInSession::storedColour() const {
    const QRegularExpression line(QStringLiteral("(?m)^lastcolor=(.*)$"));
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(iniText()));
    return match.hasMatch() ? std::optional(match.captured(1).trimmed()) : std::nullopt;
}

}  // namespace e2e::wayland
