// SPDX-License-Identifier: MIT
#include "platform/wayland/wayland_clipboard_keeper.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QElapsedTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "platform/clipboard_keeper.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace huepick {

namespace {

// How long a paste may take to read the text.
constexpr int kSendMs = 1000;

struct Keeper {
    QByteArray text;
    QByteArray marker;
    wl_seat* seat = nullptr;
    zwlr_data_control_manager_v1* manager = nullptr;
    // Offers that list the marker among their types.
    std::set<zwlr_data_control_offer_v1*> marked;
    zwlr_data_control_offer_v1* selection = nullptr;
    bool selectionMarked = false;
    bool ended = false;  // replaced by another source, or the seat went away
};

// Dispatches until `done` or the deadline; false on a timeout or a broken
// connection.
bool dispatchUntil(wl_display* d, const bool& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done) {
        if (wl_display_prepare_read(d) != 0) {
            if (wl_display_dispatch_pending(d) < 0) {
                return false;
            }
            continue;
        }
        wl_display_flush(d);
        const auto left = static_cast<int>(timeoutMs - clock.elapsed());
        pollfd p{wl_display_get_fd(d), POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, left) <= 0) {
            wl_display_cancel_read(d);
            if (left <= 0) {
                return false;
            }
            continue;
        }
        if (wl_display_read_events(d) < 0 || wl_display_dispatch_pending(d) < 0) {
            return false;
        }
    }
    return true;
}

bool roundtrip(wl_display* d, int timeoutMs) {
    bool done = false;
    static const wl_callback_listener kListener{
        [](void* flag, wl_callback*, uint32_t) { *static_cast<bool*>(flag) = true; }};
    wl_callback* callback = wl_display_sync(d);
    wl_callback_add_listener(callback, &kListener, &done);
    const bool ok = dispatchUntil(d, done, timeoutMs);
    wl_callback_destroy(callback);
    return ok;
}

// Writes all of `data`, unless the reader takes longer than kSendMs.
void sendText(int fd, const QByteArray& data) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    QElapsedTimer clock;
    clock.start();
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, data.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        const auto left = static_cast<int>(kSendMs - clock.elapsed());
        pollfd p{fd, POLLOUT, 0};
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || left <= 0 || ::poll(&p, 1, left) <= 0) {
            break;
        }
    }
    ::close(fd);
}

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* k = static_cast<Keeper*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && k->seat == nullptr) {
        k->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        k->manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
    }
}

const wl_registry_listener kRegistryListener{onGlobal, [](void*, wl_registry*, uint32_t) {}};

const zwlr_data_control_offer_v1_listener kOfferListener{
    [](void* data, zwlr_data_control_offer_v1* offer, const char* type) {
        auto* k = static_cast<Keeper*>(data);
        if (!k->marker.isEmpty() && k->marker == type) {
            k->marked.insert(offer);
        }
    }};

void dropOffer(Keeper* k, zwlr_data_control_offer_v1* offer) {
    if (offer != nullptr) {
        k->marked.erase(offer);
        zwlr_data_control_offer_v1_destroy(offer);
    }
}

const zwlr_data_control_device_v1_listener kDeviceListener{
    .data_offer =
        [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
            zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, data);
        },
    .selection =
        [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
            auto* k = static_cast<Keeper*>(data);
            if (k->selection != offer) {
                dropOffer(k, k->selection);
            }
            k->selection = offer;
            k->selectionMarked = k->marked.count(offer) > 0;
        },
    .finished = [](void* data,
                   zwlr_data_control_device_v1*) { static_cast<Keeper*>(data)->ended = true; },
    // Bound at version 1: no primary selection events.
    .primary_selection = [](void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {},
};

const zwlr_data_control_source_v1_listener kSourceListener{
    .send = [](void* data, zwlr_data_control_source_v1*, const char*,
               int32_t fd) { sendText(fd, static_cast<Keeper*>(data)->text); },
    .cancelled = [](void* data,
                    zwlr_data_control_source_v1*) { static_cast<Keeper*>(data)->ended = true; },
};

int serve(wl_display* d, Keeper& k, int readyFd) {
    wl_registry* registry = wl_display_get_registry(d);
    wl_registry_add_listener(registry, &kRegistryListener, &k);
    if (!roundtrip(d, kKeeperReadyMs)) {
        std::fprintf(stderr,
                     "huepick: the Wayland compositor does not answer the clipboard keeper\n");
        return 1;
    }
    if (k.manager == nullptr || k.seat == nullptr) {
        return 1;  // no data control: the text goes with the program, as it always did
    }
    zwlr_data_control_device_v1* device =
        zwlr_data_control_manager_v1_get_data_device(k.manager, k.seat);
    zwlr_data_control_device_v1_add_listener(device, &kDeviceListener, &k);
    // The device announces the current selection as soon as it exists.
    if (!roundtrip(d, kKeeperReadyMs)) {
        return 1;
    }
    // Another program copied in the meantime: its text is the newer one.
    if (!k.marker.isEmpty() && !k.selectionMarked) {
        return 0;
    }
    zwlr_data_control_source_v1* source =
        zwlr_data_control_manager_v1_create_data_source(k.manager);
    zwlr_data_control_source_v1_add_listener(source, &kSourceListener, &k);
    for (const char* type :
         {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING", "TEXT"}) {
        zwlr_data_control_source_v1_offer(source, type);
    }
    zwlr_data_control_device_v1_set_selection(device, source);
    if (!roundtrip(d, kKeeperReadyMs) || k.ended || !announceKeeping(readyFd)) {
        return 0;
    }
    // No deadline from here on: the keeper serves pastes until another
    // client sets the clipboard, and the wait ends when the display closes.
    while (!k.ended && wl_display_dispatch(d) >= 0) {
    }
    return 0;
}

}  // namespace

int serveWaylandClipboard(const QByteArray& text, int readyFd, const QByteArray& marker) {
    wl_display* d = wl_display_connect(nullptr);
    if (d == nullptr) {
        std::fprintf(stderr, "huepick: the clipboard keeper cannot reach the Wayland display\n");
        return 1;
    }
    Keeper keeper;
    keeper.text = text;
    keeper.marker = marker;
    const int status = serve(d, keeper, readyFd);
    wl_display_disconnect(d);
    return status;
}

}  // namespace huepick
