// SPDX-License-Identifier: MIT
#include "platform/wayland/portal_screen_grabber.h"

#include <QGuiApplication>
#include <QScreen>

namespace huepick {

PortalScreenGrabber::PortalScreenGrabber(QObject* parent) : ScreenGrabber(parent) {
    connect(&m_portal, &PortalScreenshot::finished, this, &PortalScreenGrabber::answered);
}

void PortalScreenGrabber::grab() {
    // The image spans all screens at the largest scale.
    QRect logical;
    qreal ratio = 1.0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        logical |= screen->geometry();
        ratio = qMax(ratio, screen->devicePixelRatio());
    }
    // An answer to an earlier request is still to come; it serves this one.
    m_portal.request((QSizeF(logical.size()) * ratio).toSize());
}

void PortalScreenGrabber::answered(const PortalShot& shot) {
    switch (shot.status) {
        case PortalShot::Status::Cancelled:
            emit cancelled();
            return;
        case PortalShot::Status::Failed:
            emit failed(shot.error);
            return;
        case PortalShot::Status::Image:
            break;
    }
    QRect logical;
    for (const QScreen* screen : QGuiApplication::screens()) {
        logical |= screen->geometry();
    }
    if (logical.isEmpty()) {
        emit failed(QStringLiteral("no screen to show the copy on"));
        return;
    }
    DesktopGrab grab;
    // Shown as it came: whatever its format, painting and reading a pixel
    // need no converted copy.
    grab.image = shot.image;
    grab.image.setDevicePixelRatio(1.0);
    grab.area = grab.image.rect();
    // The portal's image spans the layout of all outputs at one scale.
    grab.layout =
        ScreenLayout{static_cast<double>(grab.image.width()) / logical.width(), logical.topLeft()};
    emit grabbed(grab);
}

}  // namespace huepick
