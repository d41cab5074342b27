// SPDX-License-Identifier: MIT
// The running program: the colour model with its settings file, the desktop
// services and the main window. The colour is restored at the start and
// stored once, however the program ends.
#pragma once

#include <QObject>
#include <memory>

#include "app/single_instance.h"
#include "core/colour_model.h"
#include "core/settings_file.h"
#include "core/storage_locations.h"
#include "platform/desktop.h"
#include "platform/termination.h"

namespace huepick {

class MainWindow;

class HuepickApp : public QObject {
    Q_OBJECT
public:
    HuepickApp(Desktop desktop, StorageLocations places);
    ~HuepickApp() override;

    // Restores the colour and shows the main window.
    void start();
    // Stores the colour; does nothing after the first call. False when it
    // could not be stored (the reason is on stderr).
    bool store();
    // A later start's request: show the window, or pick and answer.
    void handle(const InstanceRequest& request, const InstanceServer::Reply& reply);
    // The status the program ends with.
    int exitStatus() const { return m_storeFailed ? 1 : 0; }

signals:
    // Time to quit: the window was closed, a signal came or the session ends.
    void finished();

private:
    // The user or the system asked the program to end.
    void end();

    ColourModel m_model;
    StorageLocations m_places;
    SettingsFile m_settings;
    Desktop m_desktop;
    std::unique_ptr<MainWindow> m_window;
    TerminationSignals m_signals;
    // Those waiting for the pick under way to end.
    std::vector<std::pair<int, InstanceServer::Reply>> m_waitingForPick;
    bool m_started = false;
    bool m_stored = false;
    bool m_storeFailed = false;
};

}  // namespace huepick
