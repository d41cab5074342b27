// SPDX-License-Identifier: MIT
// Reading sway's window events off its socket against a stand-in server:
// the subscription, messages cut anywhere or run together, other events
// skipped, and a refused subscription.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstring>
#include <thread>

#include "sway_events.h"

namespace bench {
namespace {

QByteArray frame(quint32 type, const QByteArray& payload) {
    QByteArray out("i3-ipc");
    const auto length = static_cast<quint32>(payload.size());
    out.append(reinterpret_cast<const char*>(&length), 4);
    out.append(reinterpret_cast<const char*>(&type), 4);
    return out + payload;
}

QByteArray windowEvent(const char* change, int id, int pid) {
    return frame(0x80000003,
                 QStringLiteral("{\"change\":\"%1\",\"container\":{\"id\":%2,\"pid\":%3,"
                                "\"rect\":{\"x\":0,\"y\":0,\"width\":1920,\"height\":1080}}}")
                     .arg(QLatin1String(change))
                     .arg(id)
                     .arg(pid)
                     .toUtf8());
}

// Accepts one client on a socket, reads its subscription, and sends each
// of `chunks` in a write of its own.
class StandIn {
public:
    explicit StandIn(std::vector<QByteArray> chunks) {
        m_path = m_dir.filePath(QStringLiteral("sway.sock"));
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, m_path.toLocal8Bit().constData(),
                     sizeof address.sun_path - 1);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        m_thread = std::thread([this, chunks = std::move(chunks)] {
            const int client = ::accept(m_listener, nullptr, nullptr);
            char header[14];
            if (::recv(client, header, sizeof header, MSG_WAITALL) == sizeof header) {
                quint32 length = 0;
                std::memcpy(&length, header + 6, 4);
                m_subscription.resize(length);
                ::recv(client, m_subscription.data(), length, MSG_WAITALL);
            }
            for (const QByteArray& chunk : chunks) {
                ::send(client, chunk.constData(), static_cast<std::size_t>(chunk.size()), 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            // Held open until the reader has had everything.
            char rest;
            ::recv(client, &rest, 1, 0);
            ::close(client);
        });
    }
    ~StandIn() {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    QString path() const { return m_path; }
    const QByteArray& subscription() const { return m_subscription; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_listener = -1;
    QByteArray m_subscription;
    std::thread m_thread;
};

TEST(SwayEvents, ReadsWindowEventsHoweverTheyAreCut) {
    const QByteArray subscribed = frame(2, "{\"success\":true}");
    const QByteArray first = windowEvent("new", 7, 4242);
    const QByteArray second = windowEvent("close", 7, 4242);
    const QByteArray workspace = frame(0x80000000, "{\"change\":\"focus\"}");
    // The reply and half the first event; the rest of it with a workspace
    // event and the whole second one.
    StandIn sway({subscribed + first.left(9), first.mid(9) + workspace + second});
    SwayEvents events(sway.path());
    ASSERT_TRUE(events.ok()) << events.error().toStdString();

    const std::optional<WindowEvent> mapped = events.next(3000);
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->change, QStringLiteral("new"));
    EXPECT_EQ(mapped->id, 7);
    EXPECT_EQ(mapped->pid, 4242);
    EXPECT_EQ(mapped->rect, QRect(0, 0, 1920, 1080));
    const std::optional<WindowEvent> closed = events.next(3000);
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->change, QStringLiteral("close"));
    EXPECT_FALSE(events.next(50));
    EXPECT_EQ(sway.subscription(), QByteArray("[\"window\"]"));
}

TEST(SwayEvents, ARefusedSubscriptionSaysSo) {
    StandIn sway({frame(2, "{\"success\":false}")});
    SwayEvents events(sway.path());
    EXPECT_FALSE(events.ok());
    EXPECT_TRUE(events.error().contains(QLatin1String("refused"))) << events.error().toStdString();
}

TEST(SwayEvents, NoSwayIsAnError) {
    SwayEvents events(QStringLiteral("/nonexistent/sway.sock"));
    EXPECT_FALSE(events.ok());
    EXPECT_FALSE(events.error().isEmpty());
}

}  // namespace
}  // namespace bench
