// SPDX-License-Identifier: MIT
#include "ui/picker.h"

#include <malloc.h>

#include <QWidget>
#include <cstdio>

#include "platform/desktop.h"

namespace huepick {

Picker::Picker(ColourModel& model, Desktop& desktop, QWidget* anchor)
    : QObject(anchor), m_model(model), m_desktop(desktop), m_anchor(anchor) {
    ScreenGrabber* grabber = m_desktop.grabber.get();
    connect(grabber, &ScreenGrabber::grabbed, this, &Picker::open);
    connect(grabber, &ScreenGrabber::failed, this, &Picker::fail);
    connect(grabber, &ScreenGrabber::cancelled, this, [this] {
        m_waiting = false;
        dropReady();
        emit finished(false);
    });
}

Picker::~Picker() {
    // The window that listens to this may be half destroyed by now: a pick
    // cut short here tells nobody.
    for (PickSession* session : {m_session.data(), m_ready.data()}) {
        if (session != nullptr) {
            session->disconnect(this);
            delete session;
        }
    }
}

void Picker::start() {
    if (m_session) {
        m_session->activate();
        return;
    }
    if (m_waiting) {
        return;
    }
    // The button that started the pick has just been released: the copy is
    // to show it so, not pressed.
    if (m_anchor && m_anchor->isVisible()) {
        m_anchor->repaint();
    }
    m_waiting = true;
    m_desktop.grabber->grab();
    // The desktop portal takes tens of ms to answer: the windows get what
    // does not need the copy meanwhile (made, placed, shown unpainted), so
    // that with it only the painting is left.
    if (m_waiting && m_desktop.grabber->laysOutByScreens()) {
        m_ready = new PickSession(m_model, *m_desktop.pointer, m_anchor);
        m_ready->prepare();
    }
}

void Picker::open(const DesktopGrab& grab) {
    if (!m_waiting) {
        return;
    }
    m_waiting = false;
    m_session = m_ready ? m_ready.data() : new PickSession(m_model, *m_desktop.pointer, m_anchor);
    m_ready = nullptr;
    m_picked = false;
    connect(m_session, &PickSession::finished, this, [this](bool picked) { m_picked = picked; });
    connect(m_session, &QObject::destroyed, this, [this] {
        // The screen copies are large; hand their memory back to the system
        // once they are gone instead of keeping it for the next pick.
        malloc_trim(0);
        emit finished(m_picked);
    });
    m_session->open(grab);
}

void Picker::fail(const QString& why) {
    m_waiting = false;
    dropReady();
    std::fprintf(stderr, "huepick: cannot pick from the screen: %s\n", qPrintable(why));
    emit finished(false);
}

void Picker::dropReady() {
    // Never painted, so never seen.
    delete m_ready.data();
}

}  // namespace huepick
