#include "platform/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace huepick {

void DesktopShell::open(const QString& path) {
    // Only an existing file is handed on: the viewer would otherwise show an
    // error of its own, and a missing file is to change nothing.
    if (QFileInfo(path).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

}  // namespace huepick
