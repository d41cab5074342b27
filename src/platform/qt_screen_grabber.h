// SPDX-License-Identifier: MIT
// Grabs every screen through Qt and lays the copies out as the virtual
// desktop, in device pixels. Answers at once.
#pragma once

#include "platform/screen_grabber.h"

namespace huepick {

class QtScreenGrabber : public ScreenGrabber {
    Q_OBJECT
public:
    using ScreenGrabber::ScreenGrabber;
    void grab() override;
};

}  // namespace huepick
