// SPDX-License-Identifier: MIT
#include "app/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace huepick {

namespace {

// A request or an answer is one short line.
constexpr std::size_t kLineLimit = 4096;

QByteArray encode(const InstanceRequest& request) {
    if (!request.pick) {
        return "show\n";
    }
    return QStringLiteral("pick %1 %2\n")
        .arg(request.mode == CaptureMode::Magnify ? QStringLiteral("magnify")
                                                  : QStringLiteral("sample"))
        .arg(request.format)
        .toUtf8();
}

std::optional<InstanceRequest> decode(const QByteArray& line) {
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words == QList<QByteArray>{"show"}) {
        return InstanceRequest{};
    }
    if (words.size() == 3 && words[0] == "pick" &&
        (words[1] == "sample" || words[1] == "magnify")) {
        bool number = false;
        const int format = words[2].toInt(&number);
        if (number && format >= 0 && format <= 10) {
            return InstanceRequest{
                true, words[1] == "magnify" ? CaptureMode::Magnify : CaptureMode::Sample, format};
        }
    }
    return std::nullopt;
}

std::optional<sockaddr_un> addressOf(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return address;
}

// A connected socket, or -1 when nobody listens there.
int connectTo(const QString& path) {
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
        return fd;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done,
                                 static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// One line from `fd`, waiting at most `timeoutMs` (-1: as long as it takes).
std::optional<QByteArray> readLine(int fd, int timeoutMs) {
    QByteArray line;
    while (!line.endsWith('\n') && line.size() < static_cast<qsizetype>(kLineLimit)) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, timeoutMs);
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return std::nullopt;
        }
        char chunk[256];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        line.append(chunk, n);
    }
    return line.endsWith('\n') ? std::optional(line.chopped(1)) : std::nullopt;
}

}  // namespace

QString instanceSocketPath(const QString& platform) {
    QString name = platform.startsWith(u"wayland")
                       ? QStringLiteral("wayland-") +
                             qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"))
                       : QStringLiteral("x11-") + qEnvironmentVariable("DISPLAY");
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    }
    return folder + QStringLiteral("/huepick-") + name + QStringLiteral(".socket");
}

std::optional<InstanceAnswer> askRunningInstance(const QString& socketPath,
                                                 const InstanceRequest& request) {
    const int fd = connectTo(socketPath);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<QByteArray> line;
    if (writeAll(fd, encode(request))) {
        // A pick waits for the user; showing the window is a moment's work.
        line = readLine(fd, request.pick ? -1 : 5000);
    }
    ::close(fd);
    if (line && line->startsWith("picked ")) {
        return InstanceAnswer(QString::fromUtf8(line->mid(7)));
    }
    return InstanceAnswer();
}

InstanceServer::InstanceServer(QString socketPath, QObject* parent)
    : QObject(parent), m_path(std::move(socketPath)) {}

InstanceServer::~InstanceServer() {
    if (m_socket >= 0) {
        ::close(m_socket);
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

bool InstanceServer::listen(QString* why) {
    const std::optional<sockaddr_un> address = addressOf(m_path);
    if (!address) {
        *why = QStringLiteral("the socket path %1 is too long").arg(m_path);
        return false;
    }
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const auto bindIt = [&] {
        // Only this user may ask the running program anything.
        const mode_t before = ::umask(0077);
        const int bound =
            ::bind(m_socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
        ::umask(before);
        return bound == 0;
    };
    bool bound = m_socket >= 0 && bindIt();
    if (!bound && errno == EADDRINUSE) {
        const int other = connectTo(m_path);
        if (other >= 0) {
            ::close(other);
            *why = QStringLiteral("another huepick is running");
            ::close(m_socket);
            m_socket = -1;
            return false;
        }
        // Nobody answers on it: a socket left behind by a program that died.
        ::unlink(QFile::encodeName(m_path).constData());
        bound = bindIt();
    }
    if (!bound || ::listen(m_socket, 4) != 0) {
        *why = QStringLiteral("cannot listen on %1: %2")
                   .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_socket >= 0) {
            ::close(m_socket);
            m_socket = -1;
        }
        return false;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InstanceServer::accept);
    return true;
}

void InstanceServer::accept() {
    for (;;) {
        const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        serve(client);
    }
}

// A later start writes its line at once; it is read without waiting long,
// and the answer goes back whenever the request is done.
void InstanceServer::serve(int client) {
    const std::optional<QByteArray> line = readLine(client, 1000);
    const std::optional<InstanceRequest> request = line ? decode(*line) : std::nullopt;
    if (!request || !m_handler) {
        ::close(client);
        return;
    }
    auto answered = std::make_shared<bool>(false);
    m_handler(*request, [client, answered](const InstanceAnswer& answer) {
        if (*answered) {
            return;
        }
        *answered = true;
        writeAll(client, answer ? "picked " + answer->toUtf8() + '\n' : QByteArray("none\n"));
        ::close(client);
    });
}

}  // namespace huepick
