// SPDX-License-Identifier: MIT
// Whether an X display can be reached, asked before Qt, which aborts when it
// cannot connect.
#pragma once

#include <QString>

struct xcb_connection_t;

namespace huepick {

class X11DisplayProbe {
public:
    X11DisplayProbe() = default;
    ~X11DisplayProbe() { release(); }
    X11DisplayProbe(const X11DisplayProbe&) = delete;
    X11DisplayProbe& operator=(const X11DisplayProbe&) = delete;

    // Connects to the display named by DISPLAY. A good connection is kept
    // until release(): an X server that resets when its last client leaves
    // (Xvfb, a bare xinit) would otherwise reset just as Qt connects.
    bool connect(QString* why);
    // Lets go of the connection, once Qt holds its own.
    void release();

private:
    xcb_connection_t* m_connection = nullptr;
};

}  // namespace huepick
