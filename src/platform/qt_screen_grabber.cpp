// SPDX-License-Identifier: MIT
#include "platform/qt_screen_grabber.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <vector>

#include "core/pick_geometry.h"

namespace huepick {

namespace {

// Near enough to choose which screens to grab; the grabs give exact sizes.
QRect approximateDeviceRect(const QScreen* screen) {
    const QRect g = screen->geometry();
    const double ratio = screen->devicePixelRatio();
    return QRect(g.topLeft(), QSize(qRound(g.width() * ratio), qRound(g.height() * ratio)));
}

QImage deviceImage(QPixmap pixmap) {
    QImage image = pixmap.toImage();
    // Drop the pixmap's share first so the changes below do not copy.
    pixmap = QPixmap();
    if (image.format() != QImage::Format_RGB32) {
        image.convertTo(QImage::Format_RGB32);
    }
    image.setDevicePixelRatio(1.0);
    return image;
}

}  // namespace

void QtScreenGrabber::grab() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<QRect> rects;
    for (const QScreen* screen : screens) {
        rects.push_back(approximateDeviceRect(screen));
    }
    std::vector<QRect> grabbedRects;
    std::vector<QImage> images;
    for (int i : screensToGrab(rects)) {
        QImage image = deviceImage(screens[i]->grabWindow(0));
        if (image.isNull()) {
            emit failed(QStringLiteral("cannot copy the screen %1").arg(screens[i]->name()));
            return;
        }
        grabbedRects.emplace_back(rects[i].topLeft(), image.size());
        images.push_back(std::move(image));
    }
    if (images.empty()) {
        emit failed(QStringLiteral("no screen to copy"));
        return;
    }
    DesktopGrab grab;
    grab.area = virtualDesktop(grabbedRects);
    if (images.size() == 1) {
        grab.image = std::move(images.front());
    } else {
        grab.image = QImage(grab.area.size(), QImage::Format_RGB32);
        grab.image.fill(Qt::black);
        QPainter painter(&grab.image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (std::size_t i = 0; i < images.size(); ++i) {
            painter.drawImage(grabbedRects[i].topLeft() - grab.area.topLeft(), images[i]);
        }
    }
    emit grabbed(grab);
}

}  // namespace huepick
