// huepick: a colour picker for the Linux desktop.
#include <QApplication>
#include <cstdio>

#include "main_window/main_form.h"
#include "platform/display_check.h"
#include "platform/termination.h"

int main(int argc, char* argv[]) {
    if (const QString problem = huepick::display_problem(); !problem.isEmpty()) {
        std::fprintf(stderr, "huepick: %s\n", qPrintable(problem));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("huepick"));
    QApplication::setDesktopFileName(QStringLiteral("huepick"));
    // The picking window may be the only one left for a moment; the program
    // ends when the main window is unloaded, not when windows run out.
    QApplication::setQuitOnLastWindowClosed(false);

    huepick::AppState state;
    huepick::IniMod ini;
    huepick::SystemClipboard clipboard;
    huepick::DesktopShell shell;
    huepick::main_form form(
        state, {ini, clipboard, shell,
                huepick::StorageLocations::decide(QCoreApplication::applicationDirPath())});
    QObject::connect(&form, &huepick::main_form::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    huepick::TerminationSignals signals_;
    QObject::connect(&signals_, &huepick::TerminationSignals::received, &form, [&form] {
        form.Form_Unload();
    });
    // A session that ends quits the application without closing windows.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.Form_Unload(); });

    form.Form_Load();
    form.show();
    return app.exec();
}
