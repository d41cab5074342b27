// Times the picking window of a running huepick from outside, through the X
// server alone: from releasing the sample button to the capture window being
// viewable, and from the pick click to the picked colour showing in the colour
// swatch with the capture window gone. Also reports how much the program's
// resident memory grows over the measured cycles.
//   capture_bench PID CYCLES
// Runs against $DISPLAY, where huepick's main window must be showing at scale 1.
// It lays a background of coloured cells under everything itself.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCell = 64;
constexpr int kDropperX = 303, kDropperY = 192;  // main-window pixels
constexpr int kSwatchX = 317, kSwatchY = 70;     // inside `colorme`
constexpr char kMainTitle[] = "Vantrel!'s Huepick";
constexpr char kCaptureTitle[] = "captureme";

xcb_connection_t* c = nullptr;
xcb_screen_t* screen = nullptr;

double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void round_trip() {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

std::string name_of(xcb_window_t w) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    std::string name;
    if (r != nullptr) {
        name.assign(static_cast<const char*>(xcb_get_property_value(r)),
                    static_cast<std::size_t>(xcb_get_property_value_length(r)));
        std::free(r);
    }
    return name;
}

// Depth-first search for a window by name.
xcb_window_t find_named(xcb_window_t top, const char* wanted, int depth = 0) {
    if (name_of(top) == wanted) {
        return top;
    }
    if (depth > 3) {
        return XCB_NONE;
    }
    auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr);
    xcb_window_t found = XCB_NONE;
    if (r != nullptr) {
        const xcb_window_t* kids = xcb_query_tree_children(r);
        for (int i = xcb_query_tree_children_length(r) - 1; i >= 0 && found == XCB_NONE; --i) {
            found = find_named(kids[i], wanted, depth + 1);
        }
        std::free(r);
    }
    return found;
}

bool viewable(xcb_window_t w) {
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool v = r != nullptr && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return v;
}

std::optional<std::pair<int, int>> root_position(xcb_window_t w) {
    auto* r = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w, screen->root, 0, 0), nullptr);
    if (r == nullptr) {
        return std::nullopt;
    }
    const std::pair<int, int> at(r->dst_x, r->dst_y);
    std::free(r);
    return at;
}

std::uint32_t pixel_at(int x, int y) {
    auto* r = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, ~0u),
        nullptr);
    std::uint32_t p = 0;
    if (r != nullptr && xcb_get_image_data_length(r) >= 4) {
        std::memcpy(&p, xcb_get_image_data(r), 4);
    }
    std::free(r);
    return p & 0xFFFFFFu;
}

void move(int x, int y) {
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
}
void button(bool press) {
    xcb_test_fake_input(c, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME,
                        XCB_NONE, 0, 0, 0);
}

std::uint32_t cell_colour(int cx, int cy) {
    // Distinct for every cell of a 4K screen; never the main window's key.
    return (static_cast<std::uint32_t>(40 + cx * 3) << 16) | ((40 + cy * 5) << 8) |
           ((cx * 7 + cy * 11) & 0xFF);
}

// A desktop-type window of coloured cells, kept below everything.
void lay_background() {
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, screen->width_in_pixels,
                      screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    const xcb_atom_t desktop = atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        1, &desktop);
    xcb_map_window(c, w);
    xcb_flush(c);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, w, 0, nullptr);
    for (xcb_generic_event_t* e; (e = xcb_wait_for_event(c)) != nullptr;) {
        const bool exposed = (e->response_type & 0x7F) == XCB_EXPOSE;
        std::free(e);
        if (exposed) {
            break;
        }
    }
    for (int cy = 0; cy * kCell < screen->height_in_pixels; ++cy) {
        for (int cx = 0; cx * kCell < screen->width_in_pixels; ++cx) {
            const std::uint32_t colour = cell_colour(cx, cy);
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            const xcb_rectangle_t r{static_cast<std::int16_t>(cx * kCell),
                                    static_cast<std::int16_t>(cy * kCell), kCell, kCell};
            xcb_poly_fill_rectangle(c, w, gc, 1, &r);
        }
    }
    round_trip();
}

long rss_kb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

struct Stats {
    double median, p90, max;
};
Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty()) {
        return {0, 0, 0};
    }
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 9 / 10)], v.back()};
}

// Polls `done` as fast as round trips allow; the time it first held, or -1.
template <class Done>
double until(Clock::time_point start, Done done, double timeout_ms = 5000) {
    while (ms_since(start) < timeout_ms) {
        if (done()) {
            return ms_since(start);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: capture_bench PID CYCLES\n");
        return 2;
    }
    const int pid = std::atoi(argv[1]);
    const int cycles = std::atoi(argv[2]);
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "capture_bench: no display\n");
        return 1;
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    lay_background();

    const xcb_window_t main_window = find_named(screen->root, kMainTitle);
    const auto main_at = main_window != XCB_NONE ? root_position(main_window) : std::nullopt;
    if (!main_at) {
        std::fprintf(stderr, "capture_bench: no main window\n");
        return 1;
    }
    const auto [mx, my] = *main_at;
    const int cells_x = screen->width_in_pixels / kCell;

    std::vector<double> to_view, to_colour;
    long rss_start = 0;
    constexpr int kWarmUp = 5;
    int cell = 0;
    for (int i = 0; i < kWarmUp + cycles; ++i) {
        if (i == kWarmUp) {
            rss_start = rss_kb(pid);
        }
        // Press and release the sample button.
        move(mx + kDropperX, my + kDropperY);
        button(true);
        round_trip();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        button(false);
        round_trip();
        const auto released = Clock::now();
        xcb_window_t capture = XCB_NONE;
        const double view_ms = until(released, [&] {
            if (capture == XCB_NONE) {
                capture = find_named(screen->root, kCaptureTitle);
            }
            return capture != XCB_NONE && viewable(capture);
        });

        // Pick a cell away from the main window, its colour differing from
        // the last one.
        int cx = 0, cy = 0;
        do {
            cx = cell % cells_x;
            cy = cell / cells_x % (screen->height_in_pixels / kCell);
            ++cell;
        } while (cx * kCell + kCell > mx - 8 && cx * kCell < mx + 408 &&
                 cy * kCell + kCell > my - 8 && cy * kCell < my + 308);
        const std::uint32_t want = cell_colour(cx, cy);
        move(cx * kCell + kCell / 2, cy * kCell + kCell / 2);
        round_trip();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto clicked = Clock::now();
        button(true);
        button(false);
        round_trip();
        const double colour_ms = until(clicked, [&] {
            return !viewable(capture) && pixel_at(mx + kSwatchX, my + kSwatchY) == want;
        });
        if (view_ms < 0 || colour_ms < 0) {
            std::fprintf(stderr, "capture_bench: cycle %d timed out (view %.1f, colour %.1f)\n", i,
                         view_ms, colour_ms);
            return 1;
        }
        if (i >= kWarmUp) {
            to_view.push_back(view_ms);
            to_colour.push_back(colour_ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const long rss_end = rss_kb(pid);
    const Stats v = stats(to_view);
    const Stats p = stats(to_colour);
    std::printf("screen %dx%d, %d cycles\n", screen->width_in_pixels, screen->height_in_pixels,
                cycles);
    std::printf("release to capture viewable: median %.1f ms, p90 %.1f ms, max %.1f ms\n", v.median,
                v.p90, v.max);
    std::printf("click to colour shown, capture gone: median %.1f ms, p90 %.1f ms, max %.1f ms\n",
                p.median, p.p90, p.max);
    std::printf("RSS: %ld kB after warm-up, %ld kB after %d cycles (growth %ld kB)\n", rss_start,
                rss_end, cycles, rss_end - rss_start);
    xcb_disconnect(c);
    return 0;
}
