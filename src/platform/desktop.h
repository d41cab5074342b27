// SPDX-License-Identifier: MIT
// The services of the desktop the windows run on, each behind a small
// interface, chosen once at start-up for the windowing system in use.
#pragma once

#include <memory>

#include "platform/clipboard.h"
#include "platform/pointer_locator.h"
#include "platform/screen_grabber.h"
#include "platform/shell.h"
#include "platform/tray_icon.h"
#include "platform/window_mover.h"

namespace huepick {

struct Desktop {
    std::unique_ptr<ScreenGrabber> grabber;
    std::unique_ptr<PointerLocator> pointer;
    std::unique_ptr<WindowMover> mover;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<TrayIcon> tray;
    // Whether a window's shape shows only where it is painted (Wayland): a
    // mask then only limits input, and the outside must be transparent.
    bool shapesByTransparency = false;
};

// What Qt alone offers: grabs through QScreen, positions from Qt's logical
// coordinates. Right wherever logical and device pixels agree.
Desktop makeQtDesktop();

}  // namespace huepick
