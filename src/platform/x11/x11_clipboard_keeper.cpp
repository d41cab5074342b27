// SPDX-License-Identifier: MIT
#include "platform/x11/x11_clipboard_keeper.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QString>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/clipboard_keeper.h"

namespace huepick {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct Atoms {
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t timestamp = XCB_NONE;
    xcb_atom_t utf8 = XCB_NONE;
    xcb_atom_t mimeUtf8 = XCB_NONE;
    xcb_atom_t text = XCB_NONE;
};

Atoms internAtoms(xcb_connection_t* c) {
    const std::array names{
        "CLIPBOARD", "TARGETS", "TIMESTAMP", "UTF8_STRING", "text/plain;charset=utf-8", "TEXT"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(c, 0, std::strlen(names[i]), names[i]);
    }
    std::array<xcb_atom_t, names.size()> atoms{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : XCB_NONE;
    }
    return {atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5]};
}

// The next event, or nullptr once `timeoutMs` have passed or the connection
// broke.
xcb_generic_event_t* nextEvent(xcb_connection_t* c, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            return event;
        }
        const auto left = static_cast<int>(timeoutMs - clock.elapsed());
        if (xcb_connection_has_error(c) != 0 || left <= 0) {
            return nullptr;
        }
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&p, 1, left);
    }
}

// A server time for taking the selection, as ICCCM asks: the time of a
// property change on our own window, not CurrentTime.
xcb_timestamp_t serverTime(xcb_connection_t* c, xcb_window_t window) {
    const char name[] = "huepick clipboard";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof name - 1, name);
    xcb_flush(c);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const auto left = static_cast<int>(kKeeperReadyMs - clock.elapsed());
        Reply<xcb_generic_event_t> event(left > 0 ? nextEvent(c, left) : nullptr);
        if (!event) {
            return XCB_CURRENT_TIME;
        }
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
        }
    }
}

xcb_window_t ownerOf(xcb_connection_t* c, xcb_atom_t selection) {
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return reply ? reply->owner : XCB_NONE;
}

class Server {
public:
    Server(xcb_connection_t* c, const Atoms& atoms, const QByteArray& text, xcb_timestamp_t since)
        : m_c(c), m_atoms(atoms), m_utf8(text), m_since(since) {
        const QString decoded = QString::fromUtf8(text);
        m_latin1 = decoded.toLatin1();  // '?' where Latin-1 has no character
        m_ascii = m_latin1 == text;
    }

    void answer(const xcb_selection_request_event_t& request) {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        // Old clients name no property; the target then serves as one.
        const xcb_atom_t property =
            request.property != XCB_NONE ? request.property : request.target;
        const bool current = request.selection == m_atoms.clipboard &&
                             (request.time == XCB_CURRENT_TIME || request.time >= m_since);
        notify.property =
            current && store(request.requestor, property, request.target) ? property : XCB_NONE;
        xcb_send_event(m_c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(m_c);
    }

private:
    bool store(xcb_window_t window, xcb_atom_t property, xcb_atom_t target) {
        if (target == m_atoms.targets) {
            const std::array<xcb_atom_t, 6> offered{m_atoms.targets, m_atoms.timestamp,
                                                    m_atoms.utf8,    m_atoms.mimeUtf8,
                                                    XCB_ATOM_STRING, m_atoms.text};
            put(window, property, XCB_ATOM_ATOM, 32, offered.size(), offered.data());
        } else if (target == m_atoms.timestamp) {
            put(window, property, XCB_ATOM_INTEGER, 32, 1, &m_since);
        } else if (target == m_atoms.utf8 || target == m_atoms.mimeUtf8) {
            put(window, property, target, 8, m_utf8.size(), m_utf8.constData());
        } else if (target == XCB_ATOM_STRING) {
            put(window, property, XCB_ATOM_STRING, 8, m_latin1.size(), m_latin1.constData());
        } else if (target == m_atoms.text) {
            // TEXT leaves the encoding to the owner: plain STRING where that
            // loses nothing.
            put(window, property, m_ascii ? xcb_atom_t{XCB_ATOM_STRING} : m_atoms.utf8, 8,
                m_utf8.size(), m_utf8.constData());
        } else {
            return false;
        }
        return true;
    }

    void put(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, int format,
             std::size_t count, const void* data) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, window, property, type,
                            static_cast<std::uint8_t>(format), static_cast<std::uint32_t>(count),
                            data);
    }

    xcb_connection_t* m_c;
    Atoms m_atoms;
    QByteArray m_utf8;
    QByteArray m_latin1;
    bool m_ascii = true;
    xcb_timestamp_t m_since;
};

int serve(xcb_connection_t* c, const QByteArray& text, int readyFd, xcb_window_t expectedOwner) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const Atoms atoms = internAtoms(c);
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    const xcb_timestamp_t since = serverTime(c, window);
    if (since == XCB_CURRENT_TIME || atoms.clipboard == XCB_NONE) {
        std::fprintf(stderr, "huepick: the X server does not answer the clipboard keeper\n");
        return 1;
    }
    // Another program copied in the meantime: its text is the newer one.
    if (expectedOwner != XCB_NONE && ownerOf(c, atoms.clipboard) != expectedOwner) {
        return 0;
    }
    xcb_set_selection_owner(c, window, atoms.clipboard, since);
    if (ownerOf(c, atoms.clipboard) != window || !announceKeeping(readyFd)) {
        return 0;
    }
    Server server(c, atoms, text, since);
    // No deadline from here on: the keeper waits for requests until another
    // client takes the selection, and the wait ends when the display closes.
    while (Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
        switch (event->response_type & 0x7f) {
            case XCB_SELECTION_REQUEST:
                server.answer(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
                break;
            case XCB_SELECTION_CLEAR:
                return 0;
            default:
                break;  // errors about requestors that went away, property changes
        }
    }
    return 0;
}

}  // namespace

int serveX11Clipboard(const QByteArray& text, int readyFd, std::uint32_t expectedOwner) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        std::fprintf(stderr, "huepick: the clipboard keeper cannot open the X display\n");
        return 1;
    }
    const int status = serve(c, text, readyFd, expectedOwner);
    xcb_disconnect(c);
    return status;
}

}  // namespace huepick
