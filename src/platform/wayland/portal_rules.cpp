// SPDX-License-Identifier: MIT
#include "platform/wayland/portal_rules.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace huepick::portal {

QString requestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName.startsWith(u':') ? uniqueName.mid(1) : uniqueName;
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + u'/' + token;
}

QString newToken() {
    static QAtomicInteger<quint32> counter;
    return QStringLiteral("huepick%1_%2")
        .arg(++counter)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

Response responseKind(uint code) {
    switch (code) {
        case 0:
            return Response::Success;
        case 1:
            return Response::Cancelled;
        default:
            return Response::Failed;
    }
}

QString responseError(uint code) {
    if (code == 2) {
        return QStringLiteral("the screenshot portal ended the request (response code 2)");
    }
    return QStringLiteral("the screenshot portal failed (response code %1)").arg(code);
}

QStringList temporaryFolders() {
    QStringList candidates{QDir::tempPath(), qEnvironmentVariable("XDG_RUNTIME_DIR"),
                           QStandardPaths::writableLocation(QStandardPaths::CacheLocation),
                           QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)};
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    QStringList folders;
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty()) {
            continue;
        }
        const QString resolved = QFileInfo(candidate).canonicalFilePath();
        // A TMPDIR of "/" or of the home folder would make everything temporary.
        if (resolved.isEmpty() || resolved == QLatin1String("/") || resolved == home ||
            folders.contains(resolved)) {
            continue;
        }
        folders << resolved;
    }
    return folders;
}

bool isDisposable(const QString& file, const QStringList& folders) {
    const QFileInfo info(file);
    if (!info.isAbsolute()) {
        return false;
    }
    const QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty() || !QFileInfo(resolved).isFile()) {
        return false;
    }
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && folder != QLatin1String("/") &&
            resolved.startsWith(folder + u'/')) {
            return true;
        }
    }
    return false;
}

}  // namespace huepick::portal
