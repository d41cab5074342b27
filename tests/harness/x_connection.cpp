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
    int screen_number = 0;
    connection_ = xcb_connect(name.constData(), &screen_number);
    if (xcb_connection_has_error(connection_) != 0) {
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen_number && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    root_ = it.data->root;
}

XConnection::~XConnection() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool XConnection::ok() const {
    return connection_ != nullptr && xcb_connection_has_error(connection_) == 0 && root_ != 0;
}

QSize XConnection::root_size() {
    const std::optional<QRect> g = geometry(root_);
    return g ? g->size() : QSize();
}

std::uint32_t XConnection::atom(const char* name) {
    if (!ok()) {
        return 0;
    }
    if (const auto known = atoms_.find(name); known != atoms_.end()) {
        return known->second;
    }
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (!reply) {
        return 0;
    }
    atoms_.emplace(name, reply->atom);
    return reply->atom;
}

bool XConnection::has_extension(const char* name) {
    if (!ok()) {
        return false;
    }
    Reply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
        connection_,
        xcb_query_extension(connection_, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply && reply->present != 0;
}

XWindow XConnection::selection_owner(const char* selection) {
    const std::uint32_t a = atom(selection);
    if (a == 0) {
        return 0;
    }
    Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, a), nullptr));
    return reply ? reply->owner : 0;
}

std::vector<XWindow> XConnection::children(XWindow window) {
    std::vector<XWindow> result;
    if (!ok()) {
        return result;
    }
    Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
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
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    return reply ? reply->parent : 0;
}

QString XConnection::name(XWindow window) {
    if (!ok()) {
        return {};
    }
    const std::uint32_t utf8 = atom("UTF8_STRING");
    const std::uint32_t net_name = atom("_NET_WM_NAME");
    for (auto [property, type] : {std::pair<std::uint32_t, std::uint32_t>{net_name, utf8},
                                  {XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1024),
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

QStringList XConnection::wm_class(XWindow window) {
    if (!ok()) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
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
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (!geo) {
        return std::nullopt;
    }
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
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
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<std::vector<std::uint32_t>> XConnection::cardinals(XWindow window,
                                                                 const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return std::nullopt;
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, a, XCB_ATOM_CARDINAL, 0, 64),
        nullptr));
    if (!reply || reply->type == XCB_NONE || reply->format != 32) {
        return std::nullopt;
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<XWindow> XConnection::window_property(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return std::nullopt;
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, a, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const XWindow*>(xcb_get_property_value(reply.get()));
}

std::vector<XWindow> XConnection::window_list(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, a, XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW) {
        return {};
    }
    const auto* data = static_cast<const XWindow*>(xcb_get_property_value(reply.get()));
    return std::vector<XWindow>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::vector<std::uint32_t> XConnection::atom_list(XWindow window, const char* property) {
    const std::uint32_t a = atom(property);
    if (a == 0) {
        return {};
    }
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, a, XCB_ATOM_ATOM, 0, 64), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<std::vector<QRect>> XConnection::bounding_shape(XWindow window) {
    if (!ok()) {
        return std::nullopt;
    }
    const std::optional<QRect> whole = geometry(window);
    if (!whole) {
        return std::nullopt;
    }
    if (!has_extension("SHAPE")) {
        return std::vector<QRect>{QRect(QPoint(0, 0), whole->size())};
    }
    Reply<xcb_shape_get_rectangles_reply_t> reply(xcb_shape_get_rectangles_reply(
        connection_, xcb_shape_get_rectangles(connection_, window, XCB_SHAPE_SK_BOUNDING),
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
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
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
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    return QPoint(reply->root_x, reply->root_y);
}

XWindow XConnection::input_focus() {
    if (!ok()) {
        return 0;
    }
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
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

std::vector<XWindow> XConnection::find_named(const QString& wanted, XWindow top) {
    std::vector<XWindow> found;
    collect(
        top != 0 ? top : root_, [&](XWindow w) { return name(w) == wanted; }, found, 0);
    return found;
}

XWindow XConnection::top_level(const QString& wanted, qint64 pid) {
    for (XWindow top : children(root_)) {
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

std::vector<XWindow> XConnection::find_class(const QString& window_class, XWindow top) {
    std::vector<XWindow> found;
    collect(
        top != 0 ? top : root_,
        [&](XWindow w) {
            const QStringList parts = wm_class(w);
            return parts.size() >= 2 && parts[1] == window_class;
        },
        found, 0);
    return found;
}

}  // namespace e2e
