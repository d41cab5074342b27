// SPDX-License-Identifier: MIT
// Finds the clipboard keepers a huepick binary left behind: processes whose
// command line is that binary with --keep-clipboard. Zombies count as ended
// (in a container nobody may reap them).
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

namespace clipboard_test {

inline bool alive(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    // "PID (NAME) STATE ...": the name may hold spaces and parentheses.
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end > 0 && end + 2 < line.size() && line[end + 2] != 'Z';
}

inline QList<pid_t> keepers(const QString& binary) {
    const QByteArray wanted = QFileInfo(binary).canonicalFilePath().toLocal8Bit();
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!numeric || !cmdline.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        if (args.size() > 1 && args[0] == wanted && args[1] == "--keep-clipboard" && alive(pid)) {
            found << pid;
        }
    }
    return found;
}

}  // namespace clipboard_test
