// SPDX-License-Identifier: MIT
#include "platform/x11/x11_tray_watcher.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QCoreApplication>
#include <cstdlib>
#include <cstring>

namespace huepick {

namespace {

// The screen number DISPLAY names (":0.1" is screen 1), as Qt uses it.
int defaultScreen() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const qsizetype colon = display.lastIndexOf(':');
    return dot > colon && colon >= 0 ? display.mid(dot + 1).toInt() : 0;
}

xcb_window_t rootOf(xcb_connection_t* c, int screen) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem > 1; ++i) {
        xcb_screen_next(&it);
    }
    return it.data->root;
}

}  // namespace

X11TrayWatcher::X11TrayWatcher(xcb_connection_t* c, QObject* parent) : QObject(parent) {
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes == nullptr || xfixes->present == 0) {
        return;
    }
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
    const int screen = defaultScreen();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.constData()),
        nullptr);
    if (atom == nullptr) {
        return;
    }
    m_selection = atom->atom;
    std::free(atom);
    m_firstEvent = xfixes->first_event;
    xcb_xfixes_select_selection_input(c, rootOf(c, screen), m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11TrayWatcher::~X11TrayWatcher() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11TrayWatcher::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (m_selection == 0 || type != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) == m_firstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection == m_selection) {
            emit hostChanged(notify->owner != XCB_NONE);
        }
    }
    return false;
}

}  // namespace huepick
