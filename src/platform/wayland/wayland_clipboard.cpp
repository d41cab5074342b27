#include "platform/wayland/wayland_clipboard.h"

#include <QGuiApplication>
#include <QWindow>

namespace huepick {

WaylandClipboard::WaylandClipboard(QObject* parent) : QObject(parent) {
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(kWaitMs);
    connect(&m_giveUp, &QTimer::timeout, this, [this] { m_pending.reset(); });
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window != nullptr && m_pending) {
            deliver();
        }
    });
}

void WaylandClipboard::copy(const QString& text) {
    m_pending = text;
    if (QGuiApplication::focusWindow() != nullptr) {
        deliver();
    } else {
        m_giveUp.start();
    }
}

void WaylandClipboard::deliver() {
    m_giveUp.stop();
    m_clipboard.copy(*m_pending);
    m_pending.reset();
}

}  // namespace huepick
