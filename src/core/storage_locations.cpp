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
bool system_folder(const QString& folder) {
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
bool can_write_in(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.huepick-probe-XXXXXX"));
    return probe.open();
}
}  // namespace

StorageLocations StorageLocations::beside(const QString& app_folder) {
    return {app_folder + kIni, app_folder + kLog, app_folder + kHelp};
}

StorageLocations StorageLocations::decide(const QString& app_folder) {
    StorageLocations places = beside(app_folder);
    if (system_folder(app_folder) || !can_write_in(app_folder)) {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(config);
        QDir().mkpath(data);
        places.ini_file = config + kIni;
        places.log_file = data + kLog;
    }
    if (!QFileInfo::exists(places.help_file)) {
        const QString installed =
            QDir::cleanPath(app_folder + QStringLiteral("/../share/huepick") + kHelp);
        if (QFileInfo::exists(installed)) {
            places.help_file = installed;
        }
    }
    return places;
}

}  // namespace huepick
