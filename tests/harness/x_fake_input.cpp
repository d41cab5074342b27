// SPDX-License-Identifier: MIT
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
bool hasXtest(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_test_id);
    return ext != nullptr && ext->present != 0;
}

}  // namespace

bool XConnection::fakeMotion(QPoint to) {
    if (!ok() || !hasXtest(m_connection)) {
        return false;
    }
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                        static_cast<std::int16_t>(to.x()), static_cast<std::int16_t>(to.y()), 0);
    return xcb_flush(m_connection) > 0;
}

bool XConnection::fakeButton(int button, bool press) {
    if (!ok() || !hasXtest(m_connection)) {
        return false;
    }
    xcb_test_fake_input(m_connection, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE,
                        static_cast<std::uint8_t>(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    return xcb_flush(m_connection) > 0;
}

void XConnection::roundTrip() {
    if (ok()) {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
}

}  // namespace e2e
