#include "ui/picker.h"

#include <malloc.h>

#include <QWidget>
#include <cstdio>

#include "platform/desktop.h"
#include "ui/capture_window.h"

namespace huepick {

Picker::Picker(ColourModel& model, Desktop& desktop, QWidget* anchor)
    : QObject(anchor), m_model(model), m_desktop(desktop), m_anchor(anchor) {
    ScreenGrabber* grabber = m_desktop.grabber.get();
    connect(grabber, &ScreenGrabber::grabbed, this, &Picker::show);
    connect(grabber, &ScreenGrabber::failed, this, &Picker::fail);
    connect(grabber, &ScreenGrabber::cancelled, this, [this] {
        m_waiting = false;
        emit finished();
    });
}

Picker::~Picker() {
    delete m_window.data();
}

void Picker::start() {
    if (m_window) {
        m_window->activateWindow();
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
}

void Picker::show(const DesktopGrab& grab) {
    if (!m_waiting) {
        return;
    }
    m_waiting = false;
    m_window = new CaptureWindow(m_model, *m_desktop.pointer, grab, m_anchor);
    connect(m_window, &QObject::destroyed, this, [this] {
        // The screen copies are large; hand their memory back to the system
        // once the window is gone instead of keeping it for the next pick.
        malloc_trim(0);
        emit finished();
    });
    m_window->open();
}

void Picker::fail(const QString& why) {
    m_waiting = false;
    std::fprintf(stderr, "huepick: cannot pick from the screen: %s\n", qPrintable(why));
    emit finished();
}

}  // namespace huepick
