// SPDX-License-Identifier: MIT
// Virtual pointer for a headless wlroots compositor. A headless seat has no
// pointer, so nothing reaches a window until some client provides one; this
// program connects once, keeps its device for as long as it runs (which also
// makes `swaymsg seat seat0 cursor ...` work) and replays commands read from
// standard input, one a line:
//   move X Y     absolute motion to logical layout coordinates (fractions allowed)
//   down CODE    press a button (Linux input code: 272 left, 273 right, 274 middle)
//   up CODE      release it
//   click CODE   press and release
// It prints "ready" once the device exists, then "ok" or "error: ..." for each
// command after the compositor has processed it, and exits when its input or
// the compositor goes away.
//
// usage: wl_input LAYOUT_WIDTH LAYOUT_HEIGHT   (logical size of the whole layout)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

// Absolute positions are integers over an extent: 256 steps per logical unit
// give the same 1/256 resolution as the positions clients receive.
static const int kSteps = 256;

struct Globals {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
};

static void onGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    struct Globals* g = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !g->seat) {
        g->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        g->manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void onGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

static uint32_t nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static void reply(const char* text) {
    fputs(text, stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s LAYOUT_WIDTH LAYOUT_HEIGHT\n", argv[0]);
        return 2;
    }
    const double width = atof(argv[1]);
    const double height = atof(argv[2]);
    if (width <= 0 || height <= 0) {
        fprintf(stderr, "wl_input: the layout size must be positive\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wl_input: cannot connect to the Wayland display\n");
        return 1;
    }
    struct Globals g = {NULL, NULL};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &g);
    wl_display_roundtrip(display);
    if (!g.manager) {
        fprintf(stderr, "wl_input: the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "wl_input: the compositor closed the connection\n");
        return 1;
    }
    reply("ready");

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        char verb[16];
        double x = 0;
        double y = 0;
        unsigned code = 0;
        if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
            if (x < 0 || y < 0 || x > width || y > height) {
                reply("error: position outside the layout");
                continue;
            }
            zwlr_virtual_pointer_v1_motion_absolute(
                pointer, nowMs(), (uint32_t)(x * kSteps + 0.5), (uint32_t)(y * kSteps + 0.5),
                (uint32_t)(width * kSteps), (uint32_t)(height * kSteps));
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (sscanf(line, "%15s %u", verb, &code) == 2 &&
                   (!strcmp(verb, "down") || !strcmp(verb, "up") || !strcmp(verb, "click"))) {
            if (strcmp(verb, "up") != 0) {
                zwlr_virtual_pointer_v1_button(pointer, nowMs(), code,
                                               WL_POINTER_BUTTON_STATE_PRESSED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
            if (strcmp(verb, "down") != 0) {
                zwlr_virtual_pointer_v1_button(pointer, nowMs(), code,
                                               WL_POINTER_BUTTON_STATE_RELEASED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else {
            reply("error: unknown command");
            continue;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "wl_input: the compositor closed the connection\n");
            return 1;
        }
        reply("ok");
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(g.manager);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
