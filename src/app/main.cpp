// SPDX-License-Identifier: MIT
// huepick: a colour picker for the Linux desktop.
#include <QApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/clipboard_keeper_main.h"
#include "app/command_line.h"
#include "app/display_check.h"
#include "app/huepick_app.h"
#include "app/pick_command.h"
#include "app/single_instance.h"
#include "platform/font_warm_up.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"
#include "ui/caret_rest.h"

namespace {

// Qt's X11 backend calls exit() when its connection breaks (the X server went
// away), which skips the rest of main(). The colour is still in memory and
// the settings file needs no display, so it is stored on the way out.
huepick::HuepickApp* g_appAtExit = nullptr;

void storeAtExit() {
    // Only the UI thread may touch the model; Qt exits from there.
    if (g_appAtExit != nullptr && g_appAtExit->thread() == QThread::currentThread()) {
        g_appAtExit->store();
    }
}

huepick::Desktop desktopFor(const QString& platform) {
    if (platform == u"xcb") {
        return huepick::makeX11Desktop();
    }
    if (platform.startsWith(u"wayland")) {
        return huepick::makeWaylandDesktop();
    }
    return huepick::makeQtDesktop();
}

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// The window, for as long as the program runs.
int runWindow(QApplication& qtApp, huepick::InstanceServer& server) {
    huepick::CaretRest caretRest;
    huepick::HuepickApp app(
        desktopFor(QGuiApplication::platformName()),
        huepick::StorageLocations::decide(QCoreApplication::applicationDirPath()));
    server.setHandler(
        [&app](const huepick::InstanceRequest& request,
               const huepick::InstanceServer::Reply& reply) { app.handle(request, reply); });
    QObject::connect(&app, &huepick::HuepickApp::finished, &qtApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A session that ends quits the application without closing windows.
    QObject::connect(&qtApp, &QCoreApplication::aboutToQuit, &app, [&app] { app.store(); });
    app.start();
    g_appAtExit = &app;
    std::atexit(storeAtExit);
    qtApp.exec();
    g_appAtExit = nullptr;
    return app.exitStatus();
}

}  // namespace

int main(int argc, char* argv[]) {
    // The clipboard keeper, a mode of its own that starts no Qt at all.
    if (auto status = huepick::runClipboardKeeper(argc, argv)) {
        return *status;
    }

    const huepick::CommandLine command = huepick::parseCommandLine(argumentsOf(argc, argv));
    switch (command.action) {
        case huepick::CommandLine::Action::Help:
        case huepick::CommandLine::Action::Version:
            std::fputs(qPrintable(command.text), stdout);
            return 0;
        case huepick::CommandLine::Action::Error:
            std::fputs(qPrintable(command.text), stderr);
            return 2;
        case huepick::CommandLine::Action::Run:
        case huepick::CommandLine::Action::Pick:
            break;
    }

    huepick::DisplayCheck display;
    if (display.platforms().isEmpty()) {
        std::fprintf(stderr, "huepick: %s\n", qPrintable(display.problem()));
        return 1;
    }
    huepick::FontWarmUp fonts;
    // Qt tries only what can be reached, so it never aborts on a missing
    // display; programs started from here get the user's own setting back.
    const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", display.platforms().join(u';').toLocal8Bit());
    QApplication qtApp(argc, argv);
    display.release();
    if (requested.isNull()) {
        qunsetenv("QT_QPA_PLATFORM");
    } else {
        qputenv("QT_QPA_PLATFORM", requested);
    }
    QApplication::setApplicationName(QStringLiteral("huepick"));
    QApplication::setApplicationVersion(QStringLiteral(HUEPICK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.huepick.huepick"));
    // A picking window may be the only one left for a moment; the program
    // ends when the main window is closed, not when windows run out.
    QApplication::setQuitOnLastWindowClosed(false);

    const huepick::InstanceRequest request{command.action == huepick::CommandLine::Action::Pick,
                                           command.mode, command.format};
    const QString socket = huepick::instanceSocketPath(QGuiApplication::platformName());
    if (const auto answer = huepick::askRunningInstance(socket, request)) {
        if (!request.pick) {
            return 0;
        }
        if (!*answer) {
            return 1;
        }
        std::printf("%s\n", qPrintable(**answer));
        return 0;
    }
    if (request.pick) {
        return huepick::runPickCommand(desktopFor(QGuiApplication::platformName()), request);
    }
    huepick::InstanceServer server(socket);
    QString why;
    if (!server.listen(&why)) {
        std::fprintf(stderr, "huepick: %s\n", qPrintable(why));
        return 1;
    }
    fonts.wait();
    return runWindow(qtApp, server);
}
