// SPDX-License-Identifier: MIT
// Running the program as a user without privileges, to see how it copes with
// an installation it may not write. Under root (which ignores file
// permissions) that user is "nobody", reached through setpriv; anyone else
// already is such a user and runs the program as themselves.
#pragma once

#include <sys/types.h>
#include <QString>
#include <QStringList>
#include <optional>

namespace e2e {

bool runningAsRoot();

// Why no unprivileged user can be had here; nullopt when one can.
std::optional<QString> unprivilegedUserUnavailable();

// The command line that runs `program` as that user.
struct CommandLine {
    QString program;
    QStringList args;
};
CommandLine asUnprivilegedUser(const QString& program);

// Makes a folder (and its parents) with `mode`; `forUser`: owned by that
// user.
bool makeFolder(const QString& path, mode_t mode, bool forUser);
// Hands a file or folder to that user; nothing to do unless root.
bool giveToUnprivilegedUser(const QString& path);

}  // namespace e2e
