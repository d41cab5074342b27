// SPDX-License-Identifier: MIT
// Where the settings file, the colour log and the help page live, decided once
// at start-up.
#pragma once

#include <QString>

namespace huepick {

struct StorageLocations {
    QString settingsFile;  // huepick.ini
    QString logFile;       // huepick.html
    QString helpFile;      // help.html

    // Everything in the application folder, as a portable install keeps it.
    static StorageLocations beside(const QString& appFolder);

    // The application folder when it is writable and not a system folder
    // (portable use); otherwise the user's own config and data folders, so
    // that an installed program still keeps its colour and log. The help page is looked up beside
    // the program, then in the installed share folder.
    static StorageLocations decide(const QString& appFolder);
};

}  // namespace huepick
