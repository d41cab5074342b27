// SPDX-License-Identifier: MIT
// Screen copies from the desktop portal's Screenshot interface, laid out by
// screens: the portal's image covers every output at one scale.
#pragma once

#include "platform/screen_grabber.h"
#include "platform/wayland/portal_screenshot.h"

namespace huepick {

class PortalScreenGrabber : public ScreenGrabber {
    Q_OBJECT
public:
    explicit PortalScreenGrabber(QObject* parent = nullptr);
    void grab() override;
    bool laysOutByScreens() const override { return true; }

private:
    void answered(const PortalShot& shot);

    PortalScreenshot m_portal;
};

}  // namespace huepick
