// SPDX-License-Identifier: MIT
// Screen copies on X11 straight from the server into shared memory (MIT-SHM):
// one request for the root window, which spans every monitor, with no copy
// through the connection and none in the program's heap. Where the server
// cannot share memory (a remote display), Qt's own grabs serve.
#pragma once

#include "platform/qt_screen_grabber.h"

struct xcb_connection_t;

namespace huepick {

class X11ScreenGrabber : public ScreenGrabber {
    Q_OBJECT
public:
    explicit X11ScreenGrabber(xcb_connection_t* connection, QObject* parent = nullptr);
    void grab() override;

private:
    bool grabShared(DesktopGrab& grab);

    xcb_connection_t* m_connection;
    QtScreenGrabber m_fallback;
};

}  // namespace huepick
