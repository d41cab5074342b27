// The screen and the pointer as the picking window sees them: a frozen copy of
// the whole virtual desktop and positions, all in device pixels of the X root
// window. Logical mouse positions cannot address every device pixel at
// fractional scale factors, so nothing here goes through them.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <memory>

class QWidget;

namespace huepick {

struct DesktopGrab {
    // RGB32 at device pixel ratio 1; black where no screen shows anything.
    QImage image;
    // Where the image lies on the virtual desktop, in device pixels.
    QRect area;
};

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    virtual DesktopGrab grab_desktop() = 0;
    // The pointer's hot spot in device pixels.
    virtual QPoint pointer_position() = 0;
    // The device-pixel position of a top-level window's top-left corner.
    virtual QPoint device_position(const QWidget& window) = 0;
};

// Screen grabs through Qt, positions from the X server.
std::unique_ptr<ScreenSource> make_x11_screen_source();

}  // namespace huepick
