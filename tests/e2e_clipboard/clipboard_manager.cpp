// SPDX-License-Identifier: MIT
// A minimal clipboard manager for the tests: owns CLIPBOARD_MANAGER and, on a
// SAVE_TARGETS request, reads the requestor's CLIPBOARD text, takes CLIPBOARD
// over and serves that text (UTF8_STRING only). Prints "ready" once it owns
// CLIPBOARD_MANAGER and "saved TEXT" after each hand-over. Ends when the
// display closes or on SIGTERM.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_connection_t* g_connection = nullptr;
xcb_window_t g_window = XCB_NONE;

xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        g_connection, xcb_intern_atom(g_connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : XCB_NONE;
    std::free(r);
    return a;
}

// A server time from a property change on our own window; events that come
// first are handled afterwards by nobody, which the tests do not need.
xcb_timestamp_t now() {
    xcb_change_property(g_connection, XCB_PROP_MODE_APPEND, g_window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(g_connection);
    while (xcb_generic_event_t* e = xcb_wait_for_event(g_connection)) {
        const bool property = (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        const xcb_timestamp_t t = reinterpret_cast<xcb_property_notify_event_t*>(e)->time;
        std::free(e);
        if (property) {
            return t;
        }
    }
    std::exit(1);
}

void notify(const xcb_selection_request_event_t& req, xcb_atom_t property) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = req.time;
    n.requestor = req.requestor;
    n.selection = req.selection;
    n.target = req.target;
    n.property = property;
    xcb_send_event(g_connection, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&n));
    xcb_flush(g_connection);
}

}  // namespace

int main() {
    g_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(g_connection) != 0) {
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(g_connection)).data;
    g_window = xcb_generate_id(g_connection);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(g_connection, XCB_COPY_FROM_PARENT, g_window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t manager = atom("CLIPBOARD_MANAGER");
    const xcb_atom_t clipboard = atom("CLIPBOARD");
    const xcb_atom_t save = atom("SAVE_TARGETS");
    const xcb_atom_t targets = atom("TARGETS");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const xcb_atom_t savedProperty = atom("_HUEPICK_TEST_SAVED");
    xcb_set_selection_owner(g_connection, g_window, manager, now());
    xcb_flush(g_connection);
    std::printf("ready\n");
    std::fflush(stdout);

    std::string text;
    xcb_selection_request_event_t pending{};  // the SAVE_TARGETS request being served
    while (xcb_generic_event_t* e = xcb_wait_for_event(g_connection)) {
        const int type = e->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            const auto& req = *reinterpret_cast<xcb_selection_request_event_t*>(e);
            if (req.selection == manager && req.target == save) {
                pending = req;
                xcb_convert_selection(g_connection, g_window, clipboard, utf8, savedProperty,
                                      req.time);
                xcb_flush(g_connection);
            } else if (req.selection == clipboard && req.target == utf8) {
                xcb_change_property(g_connection, XCB_PROP_MODE_REPLACE, req.requestor,
                                    req.property, utf8, 8, text.size(), text.data());
                notify(req, req.property);
            } else if (req.selection == clipboard && req.target == targets) {
                xcb_change_property(g_connection, XCB_PROP_MODE_REPLACE, req.requestor,
                                    req.property, XCB_ATOM_ATOM, 32, 1, &utf8);
                notify(req, req.property);
            } else {
                notify(req, XCB_NONE);
            }
        } else if (type == XCB_SELECTION_NOTIFY && pending.requestor != XCB_NONE) {
            const auto& got = *reinterpret_cast<xcb_selection_notify_event_t*>(e);
            bool ok = false;
            if (got.property != XCB_NONE) {
                xcb_get_property_reply_t* p =
                    xcb_get_property_reply(g_connection,
                                           xcb_get_property(g_connection, 1, g_window,
                                                            savedProperty, XCB_ATOM_ANY, 0, 65536),
                                           nullptr);
                if (p != nullptr) {
                    text.assign(static_cast<const char*>(xcb_get_property_value(p)),
                                xcb_get_property_value_length(p));
                    ok = true;
                }
                std::free(p);
            }
            if (ok) {
                xcb_set_selection_owner(g_connection, g_window, clipboard, now());
                std::printf("saved %s\n", text.c_str());
                std::fflush(stdout);
            }
            notify(pending, ok ? pending.property : XCB_NONE);
            pending = {};
        }
        std::free(e);
    }
    return 0;
}
