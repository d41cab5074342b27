// SPDX-License-Identifier: MIT
// The desktop on X11: Qt's grabs and services, with the pointer and window
// positions taken from the X server in device pixels, and the notification
// area watched through XFixes.
#pragma once

#include "platform/desktop.h"

namespace huepick {

Desktop makeX11Desktop();

}  // namespace huepick
