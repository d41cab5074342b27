// SPDX-License-Identifier: MIT
// Whether a Wayland compositor can be reached, asked before Qt, which aborts
// when no platform it tries can connect.
#pragma once

#include <QString>

namespace huepick {

// Connects to the compositor's socket (WAYLAND_DISPLAY, by default
// "wayland-0", in XDG_RUNTIME_DIR unless it is a path) and lets go again.
bool waylandDisplayReachable(QString* why);

}  // namespace huepick
