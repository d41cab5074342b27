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
        user.uid_ = ::geteuid();
        user.gid_ = ::getegid();
        const passwd* self = ::getpwuid(user.uid_);
        user.name_ = self ? QString::fromLocal8Bit(self->pw_name) : QString::number(user.uid_);
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
    user.name_ = wanted;
    user.uid_ = entry->pw_uid;
    user.gid_ = entry->pw_gid;
    user.switches_ = true;
    return user;
}

QStringList SessionUser::wrap(const QStringList& command) const {
    if (!switches_) {
        return command;
    }
    // Changing the uid clears the parent-death signal; setpriv sets it again.
    return QStringList{QStringLiteral("setpriv"),
                       QStringLiteral("--reuid=%1").arg(uid_),
                       QStringLiteral("--regid=%1").arg(gid_),
                       QStringLiteral("--clear-groups"),
                       QStringLiteral("--pdeathsig"),
                       QStringLiteral("keep"),
                       QStringLiteral("--")} +
           command;
}

QString SessionUser::make_folder(const QString& parent, const QString& label) const {
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
    if (!switches_) {
        return true;
    }
    return ::chown(path.toLocal8Bit().constData(), uid_, gid_) == 0;
}

bool SessionUser::can_run(const QString& path) const {
    const QString full = QFileInfo(path).canonicalFilePath();
    if (full.isEmpty()) {
        return false;
    }
    // Allowed for this user: as owner where it owns the entry, else as others.
    const auto allowed = [this](const struct stat& st, mode_t owner, mode_t others) {
        return st.st_uid == uid_ ? (st.st_mode & owner) == owner : (st.st_mode & others) == others;
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
