// SPDX-License-Identifier: MIT
#include "sway_events.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

namespace bench {

namespace {

// i3's IPC framing, which sway keeps: magic, payload length, type, in the
// host's byte order.
constexpr char kMagic[] = "i3-ipc";
constexpr int kHeader = 6 + 4 + 4;
constexpr quint32 kSubscribe = 2;
constexpr quint32 kWindowEvent = 0x80000003;

QByteArray frame(quint32 type, const QByteArray& payload) {
    QByteArray out(kMagic, 6);
    const auto length = static_cast<quint32>(payload.size());
    out.append(reinterpret_cast<const char*>(&length), 4);
    out.append(reinterpret_cast<const char*>(&type), 4);
    return out + payload;
}

}  // namespace

SwayEvents::SwayEvents(const QString& socket_path) {
    socket_.connectToServer(socket_path);
    if (!socket_.waitForConnected(3000)) {
        error_ =
            QStringLiteral("cannot reach sway at %1: %2").arg(socket_path, socket_.errorString());
        return;
    }
    socket_.write(frame(kSubscribe, "[\"window\"]"));
    socket_.flush();
    quint32 type = 0;
    const std::optional<QByteArray> reply = message(3000, &type);
    ok_ = reply && type == kSubscribe && reply->contains("true");
    if (!ok_) {
        error_ = QStringLiteral("sway refused the subscription: ") +
                 QString::fromUtf8(reply.value_or("no answer"));
    }
}

std::optional<QByteArray> SwayEvents::message(int timeout_ms, quint32* type) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // Without an event loop the socket reads only when waited on.
        socket_.waitForReadyRead(0);
        buffer_ += socket_.readAll();
        if (buffer_.size() >= kHeader) {
            quint32 length = 0;
            std::memcpy(&length, buffer_.constData() + 6, 4);
            std::memcpy(type, buffer_.constData() + 10, 4);
            if (buffer_.size() >= kHeader + static_cast<qsizetype>(length)) {
                QByteArray payload = buffer_.mid(kHeader, length);
                buffer_.remove(0, kHeader + length);
                return payload;
            }
        }
        const qint64 left = timeout_ms - clock.elapsed();
        if (left <= 0 || socket_.state() != QLocalSocket::ConnectedState) {
            return std::nullopt;
        }
        socket_.waitForReadyRead(static_cast<int>(left));
    }
}

std::optional<WindowEvent> SwayEvents::next(int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 left = std::max<qint64>(0, timeout_ms - clock.elapsed());
        quint32 type = 0;
        const std::optional<QByteArray> payload = message(static_cast<int>(left), &type);
        if (!payload) {
            return std::nullopt;
        }
        if (type != kWindowEvent) {
            continue;
        }
        const QJsonObject event = QJsonDocument::fromJson(*payload).object();
        const QJsonObject con = event[QLatin1String("container")].toObject();
        const QJsonObject r = con[QLatin1String("rect")].toObject();
        return WindowEvent{
            event[QLatin1String("change")].toString(), con[QLatin1String("id")].toInteger(),
            con[QLatin1String("pid")].toInteger(),
            QRect(r[QLatin1String("x")].toInt(), r[QLatin1String("y")].toInt(),
                  r[QLatin1String("width")].toInt(), r[QLatin1String("height")].toInt())};
    }
}

void SwayEvents::drain() {
    while (next(0)) {
    }
}

}  // namespace bench
