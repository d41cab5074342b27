// Where the settings file, the colour log and the help page live, decided once
// at start-up.
#pragma once

#include <QString>

namespace huepick {

struct StorageLocations {
    QString ini_file;   // huepick.ini
    QString log_file;   // huepick.html
    QString help_file;  // help.html

    // Everything in the application folder, as a portable install keeps it.
    static StorageLocations beside(const QString& app_folder);

    // The application folder when it is writable and not a system folder
    // (portable use); otherwise the user's own config and data folders, so
    // that an installed program still keeps its colour and log. The help page is looked up beside the program,
    // then in the installed share folder.
    static StorageLocations decide(const QString& app_folder);
};

}  // namespace huepick
