#include "harness/unprivileged_user.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include "harness/process.h"

namespace e2e {

namespace {

struct User {
    uid_t uid;
    gid_t gid;
};

User unprivileged_user() {
    if (const passwd* pw = ::getpwnam("nobody")) {
        return {pw->pw_uid, pw->pw_gid};
    }
    return {65534, 65534};
}

QStringList setpriv_options() {
    const User user = unprivileged_user();
    // setpriv clears the parent-death signal with the credentials; --pdeathsig
    // sets it again, so a test killed by its timeout leaves no program behind.
    return {QStringLiteral("--reuid=%1").arg(user.uid), QStringLiteral("--regid=%1").arg(user.gid),
            QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig"),
            QStringLiteral("KILL")};
}

}  // namespace

bool running_as_root() {
    return ::geteuid() == 0;
}

std::optional<QString> unprivileged_user_unavailable() {
    if (!running_as_root()) {
        return std::nullopt;
    }
    const ToolResult r =
        run_tool(QStringLiteral("setpriv"), setpriv_options() << QStringLiteral("true"),
                 QProcessEnvironment::systemEnvironment());
    if (!r.ok()) {
        return QStringLiteral("cannot switch to the user nobody with setpriv: ") + r.describe();
    }
    return std::nullopt;
}

CommandLine as_unprivileged_user(const QString& program) {
    if (!running_as_root()) {
        return {program, {}};
    }
    return {QStringLiteral("setpriv"), setpriv_options() << program};
}

bool give_to_unprivileged_user(const QString& path) {
    if (!running_as_root()) {
        return true;
    }
    const User user = unprivileged_user();
    return ::chown(QFile::encodeName(path).constData(), user.uid, user.gid) == 0;
}

bool make_folder(const QString& path, mode_t mode, bool for_user) {
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0 &&
           (!for_user || give_to_unprivileged_user(path));
}

}  // namespace e2e
