// SPDX-License-Identifier: MIT
// Tells when the X11 notification area goes away or comes back: the tray
// manager owns a selection, and XFixes reports when its owner changes or
// dies, with no polling.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>

struct xcb_connection_t;

namespace huepick {

class X11TrayWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Watches the tray of the display's default screen.
    X11TrayWatcher(xcb_connection_t* connection, QObject* parent = nullptr);
    ~X11TrayWatcher() override;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

signals:
    void hostChanged(bool present);

private:
    std::uint8_t m_firstEvent = 0;
    std::uint32_t m_selection = 0;
};

}  // namespace huepick
