#include "platform/app_paths.h"

namespace huepick {

StorageLocations StorageLocations::beside(const QString& app_folder) {
    return {app_folder + QStringLiteral("/huepick.ini"), app_folder + QStringLiteral("/huepick.html"),
            app_folder + QStringLiteral("/help.html")};
}

}  // namespace huepick
