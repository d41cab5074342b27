#include "platform/app_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace huepick {

namespace {
const QString kIni = QStringLiteral("/huepick.ini");
const QString kLog = QStringLiteral("/huepick.html");
const QString kHelp = QStringLiteral("/help.html");
}  // namespace

StorageLocations StorageLocations::beside(const QString& app_folder) {
    return {app_folder + kIni, app_folder + kLog, app_folder + kHelp};
}

StorageLocations StorageLocations::decide(const QString& app_folder) {
    StorageLocations places = beside(app_folder);
    if (!QFileInfo(app_folder).isWritable()) {
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
