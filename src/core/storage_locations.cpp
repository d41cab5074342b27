// SPDX-License-Identifier: MIT
#include "core/storage_locations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace huepick {

namespace {
const QString kIni = QStringLiteral("/huepick.ini");
const QString kLog = QStringLiteral("/huepick.html");
const QString kHelp = QStringLiteral("/help.html");

// A program installed by the system keeps nothing of the user's beside
// itself, even when run by someone who could write there (root).
bool isSystemFolder(const QString& folder) {
    const QString path = QDir(folder).canonicalPath() + u'/';
    for (const char* prefix : {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/"}) {
        if (path.startsWith(QLatin1String(prefix))) {
            return true;
        }
    }
    return false;
}

// Asks the file system itself: permission bits say nothing for root, and a
// read-only mount shows only when a write is tried.
bool canWriteIn(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.huepick-probe-XXXXXX"));
    return probe.open();
}
}  // namespace

StorageLocations StorageLocations::beside(const QString& appFolder) {
    return {appFolder + kIni, appFolder + kLog, appFolder + kHelp};
}

StorageLocations StorageLocations::decide(const QString& appFolder) {
    StorageLocations places = beside(appFolder);
    if (isSystemFolder(appFolder) || !canWriteIn(appFolder)) {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(config);
        QDir().mkpath(data);
        places.settingsFile = config + kIni;
        places.logFile = data + kLog;
    }
    if (!QFileInfo::exists(places.helpFile)) {
        const QString installed =
            QDir::cleanPath(appFolder + QStringLiteral("/../share/huepick") + kHelp);
        if (QFileInfo::exists(installed)) {
            places.helpFile = installed;
        }
    }
    return places;
}

}  // namespace huepick
