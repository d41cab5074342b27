// SPDX-License-Identifier: MIT
// Starts a pick: asks the desktop for a frozen copy of the screen and opens a
// pick session over it. One pick at a time.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/screen_grabber.h"
#include "ui/pick_session.h"

class QWidget;

namespace huepick {

class ColourModel;
struct Desktop;

class Picker : public QObject {
    Q_OBJECT
public:
    // The lens is placed relative to `anchor`, the main window, where it can.
    Picker(ColourModel& model, Desktop& desktop, QWidget* anchor);
    ~Picker() override;

    // Opens the picking in the model's capture mode; while a pick is open,
    // only brings it to the front.
    void start();
    PickSession* session() const { return m_session; }

signals:
    // The pick is over: a pixel was picked, or the user cancelled, or there
    // was no copy of the screen to pick from.
    void finished(bool picked);

private:
    void open(const DesktopGrab& grab);
    void fail(const QString& why);
    void dropReady();

    ColourModel& m_model;
    Desktop& m_desktop;
    QPointer<QWidget> m_anchor;
    QPointer<PickSession> m_session;
    // Readied while the copy is on its way; becomes m_session with it.
    QPointer<PickSession> m_ready;
    bool m_waiting = false;
    bool m_picked = false;
};

}  // namespace huepick
