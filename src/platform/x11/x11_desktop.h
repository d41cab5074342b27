// The desktop on X11: Qt's grabs and services, with the pointer, window
// positions and keyboard focus taken from the X server in device pixels.
#pragma once

#include "platform/desktop.h"

namespace huepick {

Desktop makeX11Desktop();

}  // namespace huepick
