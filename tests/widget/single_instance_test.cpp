// SPDX-License-Identifier: MIT
// One running program per user and display: a later start's request reaches
// the running one, which answers; a socket left by a program that died is
// taken over.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>
#include <cstring>

#include "app/single_instance.h"

namespace huepick::testing {
namespace {

// A running program answered, with nothing (shown, or a cancelled pick).
const std::optional<InstanceAnswer> kAnsweredNothing{InstanceAnswer()};

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.filePath(QStringLiteral("huepick.socket")); }
    // Asks from another thread, as another process would, while this one's
    // event loop serves.
    std::optional<InstanceAnswer> ask(const InstanceRequest& request) {
        auto future =
            QtConcurrent::run([this, request] { return askRunningInstance(path(), request); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 5000));
        return future.result();
    }
    QTemporaryDir m_dir;
};

TEST_F(SingleInstance, RequestsReachTheRunningProgramAndItsAnswerComesBack) {
    EXPECT_EQ(askRunningInstance(path(), {}), std::nullopt) << "nobody runs yet";
    InstanceServer server(path());
    QString why;
    ASSERT_TRUE(server.listen(&why)) << why.toStdString();
    std::vector<InstanceRequest> seen;
    server.setHandler([&](const InstanceRequest& request, const InstanceServer::Reply& reply) {
        seen.push_back(request);
        reply(request.pick && request.format == 1
                  ? InstanceAnswer(QStringLiteral("color = #123456"))
                  : InstanceAnswer());
    });

    EXPECT_EQ(ask({}), kAnsweredNothing);
    EXPECT_EQ(ask({true, CaptureMode::Magnify, 1}),
              std::optional(InstanceAnswer(QStringLiteral("color = #123456"))));
    EXPECT_EQ(ask({true, CaptureMode::Sample, 0}), kAnsweredNothing) << "a cancelled pick";
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].pick);
    EXPECT_EQ(seen[1].mode, CaptureMode::Magnify);

    // A second program cannot take the socket while this one runs.
    InstanceServer second(path());
    EXPECT_FALSE(second.listen(&why));
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(SingleInstance, ASocketLeftByAProgramThatDiedIsTakenOver) {
    // Bound and closed without being removed, as by a program killed outright.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path());
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path()));

    EXPECT_EQ(askRunningInstance(path(), {}), std::nullopt);
    InstanceServer server(path());
    QString why;
    EXPECT_TRUE(server.listen(&why)) << why.toStdString();
    // Only its user may connect.
    EXPECT_EQ(QFile::permissions(path()) &
                  (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
              QFile::Permissions());
}

}  // namespace
}  // namespace huepick::testing
