// SPDX-License-Identifier: MIT
// XConnection's client messages: to the window manager, which acts on a
// window's behalf, and to the program itself, which answers them in order
// with its other events.
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include "harness/process.h"
#include "harness/x_connection.h"

namespace e2e {

namespace {

xcb_client_message_event_t clientMessage(XWindow window, std::uint32_t type) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    return event;
}

}  // namespace

bool XConnection::syncWindowManager(int timeoutMs) {
    const std::uint32_t request = atom("_NET_REQUEST_FRAME_EXTENTS");
    if (request == 0) {
        return false;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const XWindow probe = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, probe, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const xcb_client_message_event_t event = clientMessage(probe, request);
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
    const bool answered =
        pollUntil([&] { return cardinals(probe, "_NET_FRAME_EXTENTS").has_value(); }, timeoutMs, 2);
    xcb_destroy_window(m_connection, probe);
    xcb_flush(m_connection);
    return answered;
}

bool XConnection::ping(XWindow window, int timeoutMs) {
    const std::uint32_t protocols = atom("WM_PROTOCOLS");
    const std::uint32_t ping = atom("_NET_WM_PING");
    if (protocols == 0 || ping == 0) {
        return false;
    }
    // Qt sends the answer to whoever watches the root window's structure.
    const std::uint32_t watch = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &watch);
    xcb_client_message_event_t event = clientMessage(window, protocols);
    const std::uint32_t token = ++m_pings;
    event.data.data32[0] = ping;
    event.data.data32[1] = token;  // a timestamp to the program, which sends it back
    event.data.data32[2] = window;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
    bool answered = false;
    const auto drain = [&] {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_connection)) {
            const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e);
            answered = answered ||
                       ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE && m->type == protocols &&
                        m->data.data32[0] == ping && m->data.data32[1] == token);
            std::free(e);
        }
        return answered;
    };
    pollUntil(drain, timeoutMs, 2);
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(m_connection);
    return answered;
}

bool XConnection::requestClose(XWindow window) {
    const std::uint32_t close = atom("_NET_CLOSE_WINDOW");
    if (close == 0) {
        return false;
    }
    xcb_client_message_event_t event = clientMessage(window, close);
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2;  // source: a pager or task bar, i.e. the user
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return xcb_flush(m_connection) > 0;
}

}  // namespace e2e
