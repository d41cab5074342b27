// SPDX-License-Identifier: MIT
#include "platform/x11/x11_screen_grabber.h"

#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

#include "platform/mapped_image.h"

namespace huepick {

namespace {

// Whether the root's pixels come as 0x00RRGGBB words, as QImage's RGB32 has them.
bool rgb32Root(const xcb_setup_t* setup, const xcb_screen_t* screen) {
    if (screen->root_depth != 24 && screen->root_depth != 32) {
        return false;
    }
    bool wordPerPixel = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == screen->root_depth) {
            wordPerPixel = it.data->bits_per_pixel == 32;
        }
    }
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual) {
                return wordPerPixel && visuals.data->red_mask == 0xFF0000 &&
                       visuals.data->green_mask == 0xFF00 && visuals.data->blue_mask == 0xFF &&
                       setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
            }
        }
    }
    return false;
}

// Parts of the root no monitor shows are black, as on a composed desktop.
void blackenOutsideScreens(QImage& image) {
    QRegion shown;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const double ratio = screen->devicePixelRatio();
        shown += QRect(g.topLeft(), QSize(qRound(g.width() * ratio), qRound(g.height() * ratio)));
    }
    const QRegion hidden = QRegion(image.rect()).subtracted(shown);
    if (!hidden.isEmpty() && !shown.isEmpty()) {
        QPainter painter(&image);
        for (const QRect& r : hidden) {
            painter.fillRect(r, Qt::black);
        }
    }
}

}  // namespace

X11ScreenGrabber::X11ScreenGrabber(xcb_connection_t* connection, QObject* parent)
    : ScreenGrabber(parent), m_connection(connection) {
    connect(&m_fallback, &ScreenGrabber::grabbed, this, &ScreenGrabber::grabbed);
    connect(&m_fallback, &ScreenGrabber::failed, this, &ScreenGrabber::failed);
}

void X11ScreenGrabber::grab() {
    DesktopGrab grab;
    if (grabShared(grab)) {
        emit grabbed(grab);
    } else {
        m_fallback.grab();
    }
}

bool X11ScreenGrabber::grabShared(DesktopGrab& grab) {
    xcb_connection_t* c = m_connection;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
    if (shm == nullptr || shm->present == 0) {
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (!rgb32Root(setup, screen)) {
        return false;
    }
    int fd = -1;
    QImage image =
        mappedImage({screen->width_in_pixels, screen->height_in_pixels}, QImage::Format_RGB32, &fd);
    if (image.isNull()) {
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    // The server takes the descriptor over.
    xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_fd_checked(c, segment, fd, 0));
    if (error != nullptr) {
        std::free(error);
        return false;
    }
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, screen->root, 0, 0, screen->width_in_pixels, screen->height_in_pixels,
                          ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
        nullptr);
    xcb_shm_detach(c, segment);
    xcb_flush(c);
    if (reply == nullptr) {
        return false;
    }
    std::free(reply);
    blackenOutsideScreens(image);
    grab.image = std::move(image);
    grab.area = grab.image.rect();
    return true;
}

}  // namespace huepick
