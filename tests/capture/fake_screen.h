// A screen and pointer the tests control: a desktop image whose pixels name
// their own positions, anywhere on the virtual desktop, and a pointer placed
// in device pixels.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>
#include <memory>

#include "core/pick_geometry.h"
#include "platform/screen_source.h"

namespace huepick::testing {

// R = x & 255, G = y & 255, B = ((x >> 8) & 15) | ((y >> 8) << 4), for
// positions within the image.
inline QRgb pattern(QPoint pixel) {
    const int x = pixel.x();
    const int y = pixel.y();
    return qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

inline QImage pattern_image(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, pattern({x, y}));
        }
    }
    return image;
}

struct FakeScreenState {
    QImage image;
    QRect area;
    QPoint pointer;
    int grabs = 0;
    bool grabbed_while_visible = false;
};

class FakeScreen : public ScreenSource {
public:
    explicit FakeScreen(std::shared_ptr<FakeScreenState> state) : state_(std::move(state)) {}

    DesktopGrab grab_desktop() override {
        ++state_->grabs;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("captureme") && w->isVisible()) {
                state_->grabbed_while_visible = true;
            }
        }
        return {state_->image, state_->area};
    }
    QPoint pointer_position() override { return state_->pointer; }
    QPoint device_position(const QWidget& window) override {
        return ScreenMapping{{0, 0}, window.devicePixelRatioF()}.toDevice(window.pos());
    }

private:
    std::shared_ptr<FakeScreenState> state_;
};

}  // namespace huepick::testing
