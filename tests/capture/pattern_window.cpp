// SPDX-License-Identifier: MIT
// A desktop-type window over the whole root that paints every pixel with a
// colour naming its own position:
//   R = x & 255, G = y & 255, B = ((x >> 8) & 15) | ((y >> 8) << 4)
// With "--inverted" every channel is inverted instead, so a test can change
// what the screen shows. Prints "ready" once the pattern is on the screen and
// runs until killed.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

std::uint32_t pattern(int x, int y, bool inverted) {
    const std::uint32_t r = x & 255;
    const std::uint32_t g = y & 255;
    const std::uint32_t b = ((x >> 8) & 15) | (((y >> 8) & 15) << 4);
    const std::uint32_t rgb = (r << 16) | (g << 8) | b;
    return inverted ? (~rgb & 0xFFFFFFu) : rgb;
}

void paint(xcb_connection_t* c, xcb_window_t w, xcb_gcontext_t gc, int width, int height,
           const std::vector<std::uint32_t>& pixels) {
    // Keep each request well inside the server's limit.
    const std::uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4u - 64u;
    const int rows = std::max(1, static_cast<int>(maxBytes / (width * 4u)));
    for (int y = 0; y < height; y += rows) {
        const int n = std::min(rows, height - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, gc, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(n), 0, static_cast<std::int16_t>(y), 0, 24,
                      static_cast<std::uint32_t>(n * width * 4),
                      reinterpret_cast<const std::uint8_t*>(pixels.data() + y * width));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool inverted = argc > 1 && std::strcmp(argv[1], "--inverted") == 0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "pattern_window: cannot open the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (screen->root_depth != 24) {
        std::fprintf(stderr, "pattern_window: needs a 24-bit screen\n");
        return 1;
    }
    const int width = screen->width_in_pixels;
    const int height = screen->height_in_pixels;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y) * width + x] = pattern(x, y, inverted);
        }
    }

    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, 24, w, screen->root, 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    const xcb_atom_t desktop = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                        32, 1, &desktop);
    const char title[] = "huepick test pattern";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, w, 0, nullptr);
    xcb_map_window(c, w);
    xcb_flush(c);

    bool announced = false;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7F) == XCB_EXPOSE &&
            reinterpret_cast<xcb_expose_event_t*>(event)->count == 0) {
            paint(c, w, gc, width, height, pixels);
            // A round trip: the server has drawn everything asked before it.
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            if (!announced) {
                std::printf("ready\n");
                std::fflush(stdout);
                announced = true;
            }
        }
        std::free(event);
    }
    return 0;
}
