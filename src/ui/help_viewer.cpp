// SPDX-License-Identifier: MIT
#include "ui/help_viewer.h"

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace huepick {

void showHelpViewer(const QString& path, QWidget* owner) {
    static QPointer<QTextBrowser> viewer;
    if (!viewer) {
        viewer = new QTextBrowser(owner);
        viewer->setWindowFlag(Qt::Window);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setObjectName(QStringLiteral("helpViewer"));
        viewer->setWindowTitle(QStringLiteral("Huepick Help"));
        viewer->setOpenExternalLinks(true);
        viewer->resize(640, 720);
    }
    viewer->setSource(QUrl::fromLocalFile(path));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

}  // namespace huepick
