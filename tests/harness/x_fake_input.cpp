// XConnection's input through XTEST: sent straight from this process, so a
// benchmark knows to the request when the program's input arrived, which a
// tool started for each event cannot tell it.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

#include "harness/x_connection.h"

namespace e2e {

namespace {

// The library asks the server once and remembers the answer.
bool has_xtest(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_test_id);
    return ext != nullptr && ext->present != 0;
}

}  // namespace

bool XConnection::fake_motion(QPoint to) {
    if (!ok() || !has_xtest(connection_)) {
        return false;
    }
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                        static_cast<std::int16_t>(to.x()), static_cast<std::int16_t>(to.y()), 0);
    return xcb_flush(connection_) > 0;
}

bool XConnection::fake_button(int button, bool press) {
    if (!ok() || !has_xtest(connection_)) {
        return false;
    }
    xcb_test_fake_input(connection_, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE,
                        static_cast<std::uint8_t>(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    return xcb_flush(connection_) > 0;
}

void XConnection::round_trip() {
    if (ok()) {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
}

}  // namespace e2e
