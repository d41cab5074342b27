// SPDX-License-Identifier: MIT
// The real huepick binary in a headless Wayland session: a fresh application
// folder of its own (the program, help.html, optionally a huepick.ini), run
// as the session's user, with the moves the tests repeat.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

#include "wayland_session.h"

namespace e2e::wayland {

// Only "[settings]" with this colour.
QByteArray iniWithColour(const char* hex);

class HuepickInSession {
public:
    explicit HuepickInSession(WaylandSession& session, std::optional<QByteArray> ini = {});

    // Starts the program and waits until its window is on screen; false with
    // error() set.
    bool start();
    // Lays out the application folder, once; false with error() set.
    bool layOut();
    // Another run of the program from the same folder with `args`, beside
    // the one start() made if any; nullptr with error() set.
    std::unique_ptr<SessionProgram> run(const QStringList& args);
    const QString& error() const { return m_error; }
    SessionProgram& program() { return *m_program; }

    // The main window in logical coordinates, as sway places it.
    QRect window() const { return m_window; }
    // A point of the main window (window coordinates) on the output.
    QPointF at(QPointF local) const { return QPointF(m_window.topLeft()) + local; }
    bool click(QPointF local, Qt::MouseButton button = Qt::LeftButton);
    // Moves onto a window point and presses keys there.
    bool keyAt(QPointF local, const QString& combo);
    // Right-clicks a text field and reads what that put on the clipboard.
    std::optional<QString> copyField(QPointF local);

    // Windows of the program other than the main window: the picking windows.
    int pickingWindows() const;
    bool waitPickingWindows(int count, int timeoutMs = 5000) const;

    std::optional<int> waitExit(int timeoutMs = 5000) { return m_program->waitExit(timeoutMs); }
    QString stderrText() { return m_program->stderrText(); }
    QByteArray iniText() const;
    std::optional<QString> storedColour() const;

private:
    WaylandSession& m_session;
    std::optional<QByteArray> m_ini;
    QString m_folder;
    bool m_laidOut = false;
    QString m_error;
    std::unique_ptr<SessionProgram> m_program;
    QRect m_window;
    int m_copies = 0;
};

}  // namespace e2e::wayland
