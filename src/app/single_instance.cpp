// SPDX-License-Identifier: MIT
#include "app/single_instance.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace huepick {

namespace {

constexpr int kConnectMs = 1000;

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
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kConnectMs)) {
        return std::nullopt;
    }
    socket.write(encode(request));
    std::optional<InstanceAnswer> answer;
    QEventLoop loop;
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        if (!socket.canReadLine()) {
            return;
        }
        const QByteArray line = socket.readLine().chopped(1);
        if (line.startsWith("picked ")) {
            answer = InstanceAnswer(QString::fromUtf8(line.mid(7)));
        } else {
            answer = InstanceAnswer();
        }
        loop.quit();
    });
    // The running instance went away before it answered.
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, [&] {
        if (!answer) {
            answer = InstanceAnswer();
        }
        loop.quit();
    });
    loop.exec();
    return answer;
}

InstanceServer::InstanceServer(QString socketPath, QObject* parent)
    : QObject(parent), m_path(std::move(socketPath)) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

bool InstanceServer::listen(QString* why) {
    if (m_server.listen(m_path)) {
        return true;
    }
    // Nobody answered on it (the caller asked first): a socket left behind.
    if (m_server.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(m_path);
        if (probe.waitForConnected(kConnectMs)) {
            *why = QStringLiteral("another huepick is running");
            return false;
        }
        QLocalServer::removeServer(m_path);
        if (m_server.listen(m_path)) {
            return true;
        }
    }
    *why = m_server.errorString();
    return false;
}

void InstanceServer::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const std::optional<InstanceRequest> request = decode(socket->readLine());
            if (!request || !m_handler) {
                socket->disconnectFromServer();
                return;
            }
            QPointer<QLocalSocket> alive(socket);
            m_handler(*request, [alive](const InstanceAnswer& answer) {
                if (alive) {
                    alive->write(answer ? "picked " + answer->toUtf8() + '\n'
                                        : QByteArray("none\n"));
                    alive->flush();
                }
            });
        });
    }
}

}  // namespace huepick
