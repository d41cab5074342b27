// SPDX-License-Identifier: MIT
// A direct connection to the test X server, for the questions the command
// line tools cannot answer (selection owners, the window tree with classes,
// shapes) or answer too slowly to poll. The client messages it sends are in
// x_messages.cpp, the input it fakes through XTEST in x_fake_input.cpp.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace e2e {

using XWindow = std::uint32_t;

class XConnection {
public:
    explicit XConnection(const QString& display);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool ok() const;
    XWindow root() const { return m_root; }
    QSize rootSize();

    std::uint32_t atom(const char* name);
    bool hasExtension(const char* name);
    // 0 when nobody owns the selection.
    XWindow selectionOwner(const char* selection);

    std::vector<XWindow> children(XWindow window);
    XWindow parent(XWindow window);
    // _NET_WM_NAME, or WM_NAME where that is missing.
    QString name(XWindow window);
    // Instance and class, as in WM_CLASS.
    QStringList wmClass(XWindow window);
    // Position on the root window and size, without the border.
    std::optional<QRect> geometry(XWindow window);
    bool viewable(XWindow window);
    std::optional<std::vector<std::uint32_t>> cardinals(XWindow window, const char* property);
    std::optional<XWindow> windowProperty(XWindow window, const char* property);
    // A list of windows, such as the root's _NET_CLIENT_LIST; empty if unset.
    std::vector<XWindow> windowList(XWindow window, const char* property);
    // A list of atoms, such as _NET_WM_WINDOW_TYPE; empty if unset.
    std::vector<std::uint32_t> atomList(XWindow window, const char* property);

    // The part of the window that exists, in the window's own coordinates.
    // An unshaped window gives its whole rectangle.
    std::optional<std::vector<QRect>> boundingShape(XWindow window);

    // Depth-first search below `top` (the root when 0) for windows whose name
    // is `name` exactly.
    std::vector<XWindow> findNamed(const QString& name, XWindow top = 0);
    // Windows whose WM_CLASS class part is `windowClass`.
    std::vector<XWindow> findClass(const QString& windowClass, XWindow top = 0);
    // A viewable top-level window called `name` that process `pid` made: a
    // child of the root, or of the frame a window manager put around it.
    // Looking no deeper keeps each call to a few requests, cheap enough to
    // poll while timing start-up. 0 when there is none.
    XWindow topLevel(const QString& name, qint64 pid);

    // What the screen shows in `area` (root coordinates), as RGB32; a null
    // image on failure.
    QImage grab(const QRect& area);
    // Where the pointer is, in root coordinates.
    std::optional<QPoint> pointer();
    // The window that has the keyboard focus; 0 for none, 1 for PointerRoot.
    XWindow inputFocus();

    // Waits until the window manager has handled everything sent to it
    // before this call: it answers a frame extents request for a window of
    // ours, in order with all other events.
    bool syncWindowManager(int timeoutMs);

    // Waits until the program owning `window` has read every event sent to
    // it before this call: it answers a _NET_WM_PING in order with them.
    bool ping(XWindow window, int timeoutMs);

    // Real pointer input through XTEST, sent at once; the server has acted
    // on it when the next request with a reply comes back. Buttons: 1 left,
    // 2 middle, 3 right. False when XTEST is missing.
    bool fakeMotion(QPoint to);
    bool fakeButton(int button, bool press);
    // Waits until the server has handled every request sent before.
    void roundTrip();

    // Asks the window manager to close the window, as a task bar does
    // (_NET_CLOSE_WINDOW); the manager then sends WM_DELETE_WINDOW.
    bool requestClose(XWindow window);

private:
    template <class Match>
    void collect(XWindow top, Match match, std::vector<XWindow>& found, int depth);

    xcb_connection_t* m_connection = nullptr;
    XWindow m_root = 0;
    // Atoms never change while the server runs; asking once saves a round
    // trip on every property read.
    std::map<std::string, std::uint32_t> m_atoms;
    std::uint32_t m_pings = 0;
};

}  // namespace e2e
