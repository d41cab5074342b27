// SPDX-License-Identifier: MIT
#include "session_user.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>

namespace e2e::wayland {

std::optional<SessionUser> SessionUser::resolve(QString* error) {
    SessionUser user;
    if (::geteuid() != 0) {
        user.m_uid = ::geteuid();
        user.m_gid = ::getegid();
        const passwd* self = ::getpwuid(user.m_uid);
        user.m_name = self ? QString::fromLocal8Bit(self->pw_name) : QString::number(user.m_uid);
        return user;
    }
    QString wanted = qEnvironmentVariable("HUEPICK_WAYLAND_USER");
    if (wanted.isEmpty()) {
        wanted = QStringLiteral("huepick-test");
    }
    const passwd* entry = ::getpwnam(wanted.toLocal8Bit().constData());
    if (!entry) {
        *error = QStringLiteral(
                     "no user %1 to run the Wayland session as (sway refuses root); "
                     "tools/dev.sh setup creates it")
                     .arg(wanted);
        return std::nullopt;
    }
    if (entry->pw_uid == 0) {
        *error = QStringLiteral("the Wayland session user %1 is root").arg(wanted);
        return std::nullopt;
    }
    user.m_name = wanted;
    user.m_uid = entry->pw_uid;
    user.m_gid = entry->pw_gid;
    user.m_switches = true;
    return user;
}

QStringList SessionUser::wrap(const QStringList& command) const {
    if (!m_switches) {
        return command;
    }
    // Changing the uid clears the parent-death signal; setpriv sets it again.
    return QStringList{QStringLiteral("setpriv"),
                       QStringLiteral("--reuid=%1").arg(m_uid),
                       QStringLiteral("--regid=%1").arg(m_gid),
                       QStringLiteral("--clear-groups"),
                       QStringLiteral("--pdeathsig"),
                       QStringLiteral("keep"),
                       QStringLiteral("--")} +
           command;
}

QString SessionUser::makeFolder(const QString& parent, const QString& label) const {
    QByteArray pattern = parent.toLocal8Bit() + '/' + label.toLocal8Bit() + "-XXXXXX";
    // mkdtemp creates the folder with mode 0700.
    const char* made = ::mkdtemp(pattern.data());
    if (!made) {
        return {};
    }
    const QString path = QString::fromLocal8Bit(made);
    if (!give(path)) {
        QDir(path).removeRecursively();
        return {};
    }
    return path;
}

bool SessionUser::give(const QString& path) const {
    if (!m_switches) {
        return true;
    }
    return ::chown(path.toLocal8Bit().constData(), m_uid, m_gid) == 0;
}

bool SessionUser::canRun(const QString& path) const {
    const QString full = QFileInfo(path).canonicalFilePath();
    if (full.isEmpty()) {
        return false;
    }
    // Allowed for this user: as owner where it owns the entry, else as others.
    const auto allowed = [this](const struct stat& st, mode_t owner, mode_t others) {
        return st.st_uid == m_uid ? (st.st_mode & owner) == owner : (st.st_mode & others) == others;
    };
    struct stat st {};
    if (::stat(full.toLocal8Bit().constData(), &st) != 0 ||
        !allowed(st, S_IRUSR | S_IXUSR, S_IROTH | S_IXOTH)) {
        return false;
    }
    for (QString dir = QFileInfo(full).path();; dir = QFileInfo(dir).path()) {
        if (::stat(dir.toLocal8Bit().constData(), &st) != 0 || !allowed(st, S_IXUSR, S_IXOTH)) {
            return false;
        }
        if (dir == QLatin1String("/")) {
            return true;
        }
    }
}

}  // namespace e2e::wayland
