// SPDX-License-Identifier: MIT
// The clipboard on X11: Qt's, and on exit a text the program still owns
// stays on the clipboard. A running clipboard manager takes it over from Qt;
// without one, a keeper process serves it.
#pragma once

#include "platform/clipboard.h"

struct xcb_connection_t;

namespace huepick {

class X11Clipboard : public QtClipboard {
public:
    explicit X11Clipboard(xcb_connection_t* connection) : m_connection(connection) {}
    void keepAfterExit() override;

private:
    xcb_connection_t* m_connection;
};

}  // namespace huepick
