#include "platform/screen_source.h"

#include <xcb/xcb.h>

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QtMath>
#include <cstdlib>
#include <vector>

#include "core/pick_geometry.h"

namespace huepick {

namespace {

ScreenMapping mapping_of(const QScreen* screen) {
    return {screen->geometry().topLeft(), screen->devicePixelRatio()};
}

// Near enough to choose which screens to grab; the grabs give exact sizes.
QRect approximate_device_rect(const QScreen* screen) {
    const QRect g = screen->geometry();
    const double ratio = screen->devicePixelRatio();
    return QRect(g.topLeft(), QSize(qRound(g.width() * ratio), qRound(g.height() * ratio)));
}

QImage device_image(QPixmap pixmap) {
    QImage image = pixmap.toImage();
    // Drop the pixmap's share first so the changes below do not copy.
    pixmap = QPixmap();
    if (image.format() != QImage::Format_RGB32) {
        image.convertTo(QImage::Format_RGB32);
    }
    image.setDevicePixelRatio(1.0);
    return image;
}

class X11ScreenSource : public ScreenSource {
public:
    X11ScreenSource() {
        if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
            connection_ = x11->connection();
            root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        }
    }

    DesktopGrab grab_desktop() override {
        const QList<QScreen*> screens = QGuiApplication::screens();
        std::vector<QRect> rects;
        for (const QScreen* screen : screens) {
            rects.push_back(approximate_device_rect(screen));
        }
        std::vector<QRect> grabbed_rects;
        std::vector<QImage> grabbed;
        for (int i : screens_to_grab(rects)) {
            QImage image = device_image(screens[i]->grabWindow(0));
            grabbed_rects.emplace_back(rects[i].topLeft(), image.size());
            grabbed.push_back(std::move(image));
        }
        DesktopGrab grab;
        grab.area = virtual_desktop(grabbed_rects);
        if (grabbed.size() == 1) {
            grab.image = std::move(grabbed.front());
            return grab;
        }
        grab.image = QImage(grab.area.size(), QImage::Format_RGB32);
        grab.image.fill(Qt::black);
        QPainter painter(&grab.image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (std::size_t i = 0; i < grabbed.size(); ++i) {
            painter.drawImage(grabbed_rects[i].topLeft() - grab.area.topLeft(), grabbed[i]);
        }
        return grab;
    }

    QPoint pointer_position() override {
        if (connection_ != nullptr) {
            xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
                connection_, xcb_query_pointer(connection_, root_), nullptr);
            if (reply != nullptr) {
                const QPoint at(reply->root_x, reply->root_y);
                std::free(reply);
                return at;
            }
        }
        const QPoint logical = QCursor::pos();
        const QScreen* screen = QGuiApplication::screenAt(logical);
        return screen != nullptr ? mapping_of(screen).to_device(logical) : logical;
    }

    QPoint device_position(const QWidget& window) override {
        if (connection_ != nullptr && window.internalWinId() != 0) {
            const auto id = static_cast<xcb_window_t>(window.internalWinId());
            xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
                connection_, xcb_translate_coordinates(connection_, id, root_, 0, 0), nullptr);
            if (reply != nullptr) {
                const QPoint at(reply->dst_x, reply->dst_y);
                std::free(reply);
                return at;
            }
        }
        const QScreen* screen = window.screen();
        return screen != nullptr ? mapping_of(screen).to_device(window.pos()) : window.pos();
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

}  // namespace

std::unique_ptr<ScreenSource> make_x11_screen_source() {
    return std::make_unique<X11ScreenSource>();
}

}  // namespace huepick
