// SPDX-License-Identifier: MIT
#include "app/clipboard_keeper_main.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clipboard_keeper.h"
#include "platform/wayland/wayland_clipboard_keeper.h"
#include "platform/x11/x11_clipboard_keeper.h"

namespace huepick {

namespace {

// The text from standard input up to its end; the program has written it
// all before the keeper started.
std::optional<QByteArray> readText() {
    QByteArray text;
    QElapsedTimer clock;
    clock.start();
    char buffer[4096];
    for (;;) {
        const auto left = static_cast<int>(kKeeperReadyMs - clock.elapsed());
        if (left <= 0) {
            return std::nullopt;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) {
            return text;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return std::nullopt;
        }
        text.append(buffer, n > 0 ? n : 0);
        if (text.size() > kMaxKeptBytes) {
            return std::nullopt;
        }
    }
}

// Standard input and output onto /dev/null; standard error stays the
// program's until the keeper owns the clipboard.
void releaseStandardStreams() {
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
}

int keep(const char* system, const char* detail, const QByteArray& text, int readyFd) {
    if (std::strcmp(system, "x11") == 0) {
        return serveX11Clipboard(text, readyFd,
                                 detail != nullptr ? std::strtoul(detail, nullptr, 10) : 0);
    }
    if (std::strcmp(system, "wayland") == 0) {
        return serveWaylandClipboard(text, readyFd,
                                     detail != nullptr ? QByteArray(detail) : QByteArray());
    }
    std::fprintf(stderr, "huepick: unknown clipboard keeper mode %s\n", system);
    return 2;
}

}  // namespace

std::optional<int> runClipboardKeeper(int argc, char* argv[]) {
    if (argc < 3 || std::strcmp(argv[1], kKeepClipboardArg) != 0) {
        return std::nullopt;
    }
    // A paste that ends early must not end the keeper.
    std::signal(SIGPIPE, SIG_IGN);
    // Nothing the program left open belongs here; the ready pipe is the
    // standard output.
    ::closefrom(STDERR_FILENO + 1);
    const std::optional<QByteArray> text = readText();
    if (!text) {
        std::fprintf(stderr, "huepick: the clipboard keeper got no text to keep\n");
        return 1;
    }
    const int readyFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    releaseStandardStreams();
    // Like xclip and wl-copy: a copy of its own, in a session of its own and
    // away from any mounted folder, serves on; this process ends at once.
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid > 0 ? 0 : 1;
    }
    ::setsid();
    if (::chdir("/") != 0) {
        // Staying where it was only keeps that folder busy; nothing to report.
    }
    return keep(argv[2], argc > 3 ? argv[3] : nullptr, *text, readyFd);
}

}  // namespace huepick
