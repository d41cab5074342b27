// SPDX-License-Identifier: MIT
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

User unprivilegedUser() {
    if (const passwd* pw = ::getpwnam("nobody")) {
        return {pw->pw_uid, pw->pw_gid};
    }
    return {65534, 65534};
}

QStringList setprivOptions() {
    const User user = unprivilegedUser();
    // setpriv clears the parent-death signal with the credentials; --pdeathsig
    // sets it again, so a test killed by its timeout leaves no program behind.
    return {QStringLiteral("--reuid=%1").arg(user.uid), QStringLiteral("--regid=%1").arg(user.gid),
            QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig"),
            QStringLiteral("KILL")};
}

}  // namespace

bool runningAsRoot() {
    return ::geteuid() == 0;
}

std::optional<QString> unprivilegedUserUnavailable() {
    if (!runningAsRoot()) {
        return std::nullopt;
    }
    const ToolResult r =
        runTool(QStringLiteral("setpriv"), setprivOptions() << QStringLiteral("true"),
                QProcessEnvironment::systemEnvironment());
    if (!r.ok()) {
        return QStringLiteral("cannot switch to the user nobody with setpriv: ") + r.describe();
    }
    return std::nullopt;
}

CommandLine asUnprivilegedUser(const QString& program) {
    if (!runningAsRoot()) {
        return {program, {}};
    }
    return {QStringLiteral("setpriv"), setprivOptions() << program};
}

bool giveToUnprivilegedUser(const QString& path) {
    if (!runningAsRoot()) {
        return true;
    }
    const User user = unprivilegedUser();
    return ::chown(QFile::encodeName(path).constData(), user.uid, user.gid) == 0;
}

bool makeFolder(const QString& path, mode_t mode, bool forUser) {
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0 &&
           (!forUser || giveToUnprivilegedUser(path));
}

}  // namespace e2e
