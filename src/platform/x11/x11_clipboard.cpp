// SPDX-License-Identifier: MIT
#include "platform/x11/x11_clipboard.h"

#include <xcb/xcb.h>

#include <QClipboard>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#include "platform/clipboard_keeper.h"

namespace huepick {

namespace {

xcb_window_t ownerOf(xcb_connection_t* c, const char* selection) {
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, std::strlen(selection), selection), nullptr);
    const xcb_atom_t id = atom != nullptr ? atom->atom : XCB_NONE;
    std::free(atom);
    if (id == XCB_NONE) {
        return XCB_NONE;
    }
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, id), nullptr);
    const xcb_window_t window = owner != nullptr ? owner->owner : XCB_NONE;
    std::free(owner);
    return window;
}

// Windows made on a connection carry its resource id base.
bool madeOn(xcb_connection_t* c, xcb_window_t window) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    return window != XCB_NONE && (window & ~setup->resource_id_mask) ==
                                     (setup->resource_id_base & ~setup->resource_id_mask);
}

}  // namespace

void X11Clipboard::keepAfterExit() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard()) {
        return;
    }
    // Qt learns of a newer owner only when it reads its events; the server
    // knows now.
    const xcb_window_t owner = ownerOf(m_connection, "CLIPBOARD");
    if (!madeOn(m_connection, owner)) {
        return;
    }
    // Qt hands the text to a clipboard manager itself as its connection
    // closes (the manager's SAVE_TARGETS protocol).
    if (ownerOf(m_connection, "CLIPBOARD_MANAGER") != XCB_NONE) {
        return;
    }
    const QString text = clipboard->text(QClipboard::Clipboard);
    if (!text.isEmpty()) {
        launchClipboardKeeper({QStringLiteral("x11"), QString::number(owner)}, text.toUtf8());
    }
}

}  // namespace huepick
