// SPDX-License-Identifier: MIT
#include "platform/shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace huepick {

void DesktopShell::open(const QString& path, Failure failed) {
    // Only an existing file is handed on: the viewer would otherwise show an
    // error of its own, and a missing file is to change nothing.
    if (!QFileInfo(path).isFile()) {
        return;
    }
    // No parent: a viewer still running when the program quits must not be
    // ended with it, and the process object is never destroyed then.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    // As a URL, as Qt's own "open" hands files over.
    opener->setArguments({QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded())});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             failed(QStringLiteral("xdg-open cannot be started"));
                             opener->deleteLater();
                         }
                     });
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) {
                             failed(QStringLiteral("no program on this desktop opens it"));
                         }
                         opener->deleteLater();
                     });
    opener->start();
}

}  // namespace huepick
