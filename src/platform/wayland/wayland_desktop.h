// SPDX-License-Identifier: MIT
// The desktop on Wayland: the screen comes from the desktop portal, windows
// cannot learn their place, the compositor moves windows, a copy waits for
// the keyboard, and window shapes are drawn with transparency.
#pragma once

#include "platform/desktop.h"

namespace huepick {

Desktop makeWaylandDesktop();

}  // namespace huepick
