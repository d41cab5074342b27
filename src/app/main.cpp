// huepick: a colour picker for the Linux desktop.
#include <QApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "ui/caret_rest.h"
#include "ui/main_form.h"
#include "platform/x11/display_check.h"
#include "platform/termination.h"

namespace {

// Qt's X11 backend calls exit() when its connection breaks (the X server went
// away), which skips aboutToQuit and the rest of main(). The colour is still in
// memory and the settings file needs no display, so it is stored on the way out.
huepick::main_form* g_form_at_exit = nullptr;

void unload_at_exit() {
    // Only the UI thread may touch the window; Qt exits from there.
    if (g_form_at_exit != nullptr && g_form_at_exit->thread() == QThread::currentThread()) {
        g_form_at_exit->Form_Unload();
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    huepick::DisplayCheck display;
    if (!display.problem().isEmpty()) {
        std::fprintf(stderr, "huepick: %s\n", qPrintable(display.problem()));
        return 1;
    }
    QApplication app(argc, argv);
    display.release();
    QApplication::setApplicationName(QStringLiteral("huepick"));
    QApplication::setDesktopFileName(QStringLiteral("huepick"));
    // The picking window may be the only one left for a moment; the program
    // ends when the main window is unloaded, not when windows run out.
    QApplication::setQuitOnLastWindowClosed(false);

    huepick::CaretRest caret_rest;
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
    QObject::connect(&signals_, &huepick::TerminationSignals::received, &form,
                     [&form] { form.Form_Unload(); });
    // A session that ends quits the application without closing windows.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.Form_Unload(); });

    form.Form_Load();
    g_form_at_exit = &form;
    std::atexit(unload_at_exit);
    form.show();
    const int status = app.exec();
    g_form_at_exit = nullptr;
    return status;
}
