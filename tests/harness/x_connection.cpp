// SPDX-License-Identifier: MIT
#include "harness/x_connection.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace e2e {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

}  // namespace

XConnection::XConnection(const QString& display) {
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    m_connection = xcb_connect(name.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection) != 0) {
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    m_root = it.data->root;
}

XConnection::~XConnection() {
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

bool XConnection::ok() const {
    return m_connection != nullptr && xcb_connection_has_error(m_connection) == 0 && m_root != 0;
}

QSize XConnection::rootSize() {
    const std::optional<QRect> g = geometry(m_root);
    return g ? g->size() : QSize();
}

std::uint32_t XConnection::atom(const char* name) {
    if (!ok()) {
        return 0;
    }
    if (const auto known = m_atoms.find(name); known != m_atoms.end()) {
        return known->second;
    }
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (!reply) {
        return 0;
    }
    m_atoms.emplace(name, reply->atom);
    return reply->atom;
}

bool XConnection::hasExtension(const char* name) {
    if (!ok()) {
        return false;
    }
    Reply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
        m_connection,
        xcb_query_extension(m_connection, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply && reply->present != 0;
}

XWindow XConnection::selectionOwner(const char* selection) {
    const std::uint32_t a = atom(selection);
    if (a == 0) {
        return 0;
    }
    Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, a), nullptr));
    return reply ? reply->owner : 0;
}

std::vector<XWindow> XConnection::children(XWindow window) {
    std::vector<XWindow> result;
    if (!ok()) {
        return result;
    }
    Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    if (reply) {
        const xcb_window_t* list = xcb_query_tree_children(reply.get());
        result.assign(list, list + xcb_query_tree_children_length(reply.get()));
    }
    return result;
}

XWindow XConnection::parent(XWindow window) {
    if (!ok()) {
        return 0;
    }
    Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    return reply ? reply->parent : 0;
}

QString XConnection::name(XWindow window) {
    if (!ok()) {
        return {};
    }
    const std::uint32_t utf8 = atom("UTF8_STRING");
    const std::uint32_t netName = atom("_NET_WM_NAME");
    for (auto [property, type] : {std::pair<std::uint32_t, std::uint32_t>{netName, utf8},
                                  {XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024),
            nullptr));
        if (reply && reply->type != XCB_NONE) {
            const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
            const int length = xcb_get_property_value_length(reply.get());
            return type == utf8 ? QString::fromUtf8(data, length)
                                : QString::fromLatin1(data, length);
        }
    }
    return {};
}

QStringList XConnection::wmClass(XWindow window) {
    if (!ok()) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (!reply || reply->type == XCB_NONE) {
        return {};
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    QStringList parts = QString::fromLatin1(data, length).split(QChar(0));
    while (!parts.isEmpty() && parts.last().isEmpty()) {
        parts.removeLast();
    }
    return parts;
}

std::optional<QRect> XConnection::geometry(XWindow window) {
    if (!ok()) {
        return std::nullopt;
    }
    Reply<xcb_get_geometry_reply_t> geo(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!geo) {
        return std::nullopt;
    }
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!at) {
        return std::nullopt;
    }
    return QRect(at->dst_x, at->dst_y, geo->width, geo->height);
}

bool XConnection::viewable(XWindow window) {
    if (!ok()) {
        return false;
    }
    Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<std::vector<std::uint32_t>> XConnection::cardinals(XWindow window,
                                                                 const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return std::nullopt;
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, a, XCB_ATOM_CARDINAL, 0, 64),
        nullptr));
    if (!reply || reply->type == XCB_NONE || reply->format != 32) {
        return std::nullopt;
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<XWindow> XConnection::windowProperty(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return std::nullopt;
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, a, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const XWindow*>(xcb_get_property_value(reply.get()));
}

std::vector<XWindow> XConnection::windowList(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, a, XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW) {
        return {};
    }
    const auto* data = static_cast<const XWindow*>(xcb_get_property_value(reply.get()));
    return std::vector<XWindow>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::vector<std::uint32_t> XConnection::atomList(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, a, XCB_ATOM_ATOM, 0, 64), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<std::vector<QRect>> XConnection::boundingShape(XWindow window) {
    if (!ok()) {
        return std::nullopt;
    }
    const std::optional<QRect> whole = geometry(window);
    if (!whole) {
        return std::nullopt;
    }
    if (!hasExtension("SHAPE")) {
        return std::vector<QRect>{QRect(QPoint(0, 0), whole->size())};
    }
    Reply<xcb_shape_get_rectangles_reply_t> reply(xcb_shape_get_rectangles_reply(
        m_connection, xcb_shape_get_rectangles(m_connection, window, XCB_SHAPE_SK_BOUNDING),
        nullptr));
    if (!reply) {
        return std::nullopt;
    }
    std::vector<QRect> result;
    const xcb_rectangle_t* list = xcb_shape_get_rectangles_rectangles(reply.get());
    const int count = xcb_shape_get_rectangles_rectangles_length(reply.get());
    for (int i = 0; i < count; ++i) {
        result.emplace_back(list[i].x, list[i].y, list[i].width, list[i].height);
    }
    return result;
}

QImage XConnection::grab(const QRect& area) {
    if (!ok() || area.isEmpty()) {
        return {};
    }
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                      static_cast<std::int16_t>(area.x()), static_cast<std::int16_t>(area.y()),
                      static_cast<std::uint16_t>(area.width()),
                      static_cast<std::uint16_t>(area.height()), ~0u),
        nullptr));
    // The test servers run at depth 24, four bytes a pixel in the host's
    // order, which is RGB32 once the unused byte reads as opaque.
    const qsizetype bytes = area.width() * area.height() * 4;
    if (!reply || (reply->depth != 24 && reply->depth != 32) ||
        xcb_get_image_data_length(reply.get()) < bytes) {
        return {};
    }
    QImage image(area.size(), QImage::Format_RGB32);
    const auto* source = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply.get()));
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            line[x] = 0xff000000u | source[y * area.width() + x];
        }
    }
    return image;
}

std::optional<QPoint> XConnection::pointer() {
    if (!ok()) {
        return std::nullopt;
    }
    Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    return QPoint(reply->root_x, reply->root_y);
}

XWindow XConnection::inputFocus() {
    if (!ok()) {
        return 0;
    }
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return reply ? reply->focus : 0;
}

template <class Match>
void XConnection::collect(XWindow top, Match match, std::vector<XWindow>& found, int depth) {
    // Frames and tray sockets nest a few levels deep; deeper means a runaway.
    if (depth > 8) {
        return;
    }
    for (XWindow child : children(top)) {
        if (match(child)) {
            found.push_back(child);
        }
        collect(child, match, found, depth + 1);
    }
}

std::vector<XWindow> XConnection::findNamed(const QString& wanted, XWindow top) {
    std::vector<XWindow> found;
    collect(
        top != 0 ? top : m_root, [&](XWindow w) { return name(w) == wanted; }, found, 0);
    return found;
}

XWindow XConnection::topLevel(const QString& wanted, qint64 pid) {
    for (XWindow top : children(m_root)) {
        if (!viewable(top)) {
            continue;
        }
        std::vector<XWindow> candidates = children(top);
        candidates.insert(candidates.begin(), top);
        for (XWindow w : candidates) {
            if (viewable(w) && name(w) == wanted) {
                const auto owner = cardinals(w, "_NET_WM_PID");
                if (owner && !owner->empty() && owner->front() == pid) {
                    return w;
                }
            }
        }
    }
    return 0;
}

std::vector<XWindow> XConnection::findClass(const QString& windowClass, XWindow top) {
    std::vector<XWindow> found;
    collect(
        top != 0 ? top : m_root,
        [&](XWindow w) {
            const QStringList parts = wmClass(w);
            return parts.size() >= 2 && parts[1] == windowClass;
        },
        found, 0);
    return found;
}

}  // namespace e2e
