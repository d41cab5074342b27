// SPDX-License-Identifier: MIT
#include "backdrop.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

constexpr int kTickerRed = 8;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

void roundTrip(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

}  // namespace

QRgb Backdrop::cellColour(QPoint cell) {
    return qRgb(40 + cell.x() * 3, 40 + cell.y() * 5, (cell.x() * 7 + cell.y() * 11) & 0xFF) &
           0xFFFFFFu;
}

Backdrop::Backdrop(const QString& display) {
    m_connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(m_connection) != 0) {
        return;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    if (screen->root_depth != 24) {
        return;
    }
    m_size = QSize(screen->width_in_pixels, screen->height_in_pixels);
    const xcb_window_t w = xcb_generate_id(m_connection);
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0,
                      screen->width_in_pixels, screen->height_in_pixels, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    // A window manager keeps a desktop window below everything else.
    const xcb_atom_t desktop = atom(m_connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, w,
                        atom(m_connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &desktop);
    xcb_map_window(m_connection, w);
    xcb_flush(m_connection);
    // Drawing before the window is exposed would be lost.
    while (xcb_generic_event_t* e = xcb_wait_for_event(m_connection)) {
        const bool exposed = (e->response_type & 0x7F) == XCB_EXPOSE;
        std::free(e);
        if (exposed) {
            break;
        }
    }
    const std::uint32_t watch = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &watch);
    m_gc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, m_gc, w, 0, nullptr);
    m_window = w;
    for (int y = 0; y * kCell < m_size.height(); ++y) {
        for (int x = 0; x * kCell < m_size.width(); ++x) {
            fill(cellRect({x, y}), cellColour({x, y}));
        }
    }
    tick(0);
}

Backdrop::~Backdrop() {
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

void Backdrop::fill(const QRect& r, QRgb colour) {
    const std::uint32_t pixel = colour & 0xFFFFFFu;
    xcb_change_gc(m_connection, m_gc, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t rect{static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                               static_cast<std::uint16_t>(r.width()),
                               static_cast<std::uint16_t>(r.height())};
    xcb_poly_fill_rectangle(m_connection, m_window, m_gc, 1, &rect);
}

QRect Backdrop::ticker() const {
    return {m_size.width() - 48, m_size.height() - 48, 32, 32};
}

void Backdrop::tick(int count) {
    if (!ok()) {
        return;
    }
    fill(ticker(), qRgb(kTickerRed, (count >> 8) & 0xFF, count & 0xFF));
    roundTrip(m_connection);
}

std::optional<int> Backdrop::countOf(QRgb colour) {
    if (qRed(colour) != kTickerRed) {
        return std::nullopt;
    }
    return (qGreen(colour) << 8) | qBlue(colour);
}

std::vector<std::uint32_t> Backdrop::createdWindows() {
    std::vector<std::uint32_t> made;
    if (m_connection == nullptr) {
        return made;
    }
    while (xcb_generic_event_t* e = xcb_poll_for_event(m_connection)) {
        if ((e->response_type & 0x7F) == XCB_CREATE_NOTIFY) {
            made.push_back(reinterpret_cast<xcb_create_notify_event_t*>(e)->window);
        }
        std::free(e);
    }
    return made;
}

}  // namespace bench
