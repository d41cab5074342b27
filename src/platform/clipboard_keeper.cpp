// SPDX-License-Identifier: MIT
#include "platform/clipboard_keeper.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

namespace huepick {

namespace {

constexpr char kReadyByte = 'K';

// Whether the keeper's ready byte comes before the deadline; the keeper
// closes the pipe without it when it gives up.
bool waitReady(int fd) {
    pollfd p{fd, POLLIN, 0};
    int ready = -1;
    do {
        ready = ::poll(&p, 1, kKeeperReadyMs);
    } while (ready < 0 && errno == EINTR);
    char byte = 0;
    return ready > 0 && ::read(fd, &byte, 1) == 1 && byte == kReadyByte;
}

bool spawn(const std::vector<char*>& argv, int input, int ready, pid_t* pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ready, STDOUT_FILENO);
    // Nothing of the program's signal handling belongs to the keeper.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // The running program's own file, even when a newer one replaced it.
    const int failed =
        posix_spawn(pid, "/proc/self/exe", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        std::fprintf(stderr, "huepick: cannot start the clipboard keeper: %s\n",
                     std::strerror(failed));
    }
    return failed == 0;
}

}  // namespace

bool launchClipboardKeeper(const QStringList& args, const QByteArray& text) {
    if (text.size() > kMaxKeptBytes) {
        std::fprintf(stderr, "huepick: the copied text (%lld bytes) is too long to keep\n",
                     static_cast<long long>(text.size()));
        return false;
    }
    int input[2];
    int ready[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        return false;
    }
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    // The text fits the pipe, so it is written before the keeper starts: no
    // write can block, or meet a keeper that already ended.
    const bool written = ::write(input[1], text.constData(), text.size()) == text.size();
    ::close(input[1]);

    QList<QByteArray> strings{QCoreApplication::applicationFilePath().toLocal8Bit(),
                              QByteArray(kKeepClipboardArg)};
    for (const QString& arg : args) {
        strings << arg.toLocal8Bit();
    }
    std::vector<char*> argv;
    for (QByteArray& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const bool started = written && spawn(argv, input[0], ready[1], &pid);
    ::close(input[0]);
    ::close(ready[1]);
    const bool kept = started && waitReady(ready[0]);
    ::close(ready[0]);
    if (started) {
        // The keeper leaves a detached copy of itself and ends; one that
        // missed the deadline is ended here, so the wait below is short.
        if (!kept) {
            ::kill(pid, SIGKILL);
        }
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    return kept;
}

bool announceKeeping(int readyFd) {
    const bool heard = ::write(readyFd, &kReadyByte, 1) == 1;
    ::close(readyFd);
    // The program's standard error may be a pipe that someone reads to its
    // end (a terminal, a test runner); the keeper must not hold it open.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    return heard;
}

}  // namespace huepick
