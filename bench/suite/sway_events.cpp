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

SwayEvents::SwayEvents(const QString& socketPath) {
    m_socket.connectToServer(socketPath);
    if (!m_socket.waitForConnected(3000)) {
        m_error =
            QStringLiteral("cannot reach sway at %1: %2").arg(socketPath, m_socket.errorString());
        return;
    }
    m_socket.write(frame(kSubscribe, "[\"window\"]"));
    m_socket.flush();
    quint32 type = 0;
    const std::optional<QByteArray> reply = message(3000, &type);
    m_ok = reply && type == kSubscribe && reply->contains("true");
    if (!m_ok) {
        m_error = QStringLiteral("sway refused the subscription: ") +
                  QString::fromUtf8(reply.value_or("no answer"));
    }
}

std::optional<QByteArray> SwayEvents::message(int timeoutMs, quint32* type) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // Without an event loop the socket reads only when waited on.
        m_socket.waitForReadyRead(0);
        m_buffer += m_socket.readAll();
        if (m_buffer.size() >= kHeader) {
            quint32 length = 0;
            std::memcpy(&length, m_buffer.constData() + 6, 4);
            std::memcpy(type, m_buffer.constData() + 10, 4);
            if (m_buffer.size() >= kHeader + static_cast<qsizetype>(length)) {
                QByteArray payload = m_buffer.mid(kHeader, length);
                m_buffer.remove(0, kHeader + length);
                return payload;
            }
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || m_socket.state() != QLocalSocket::ConnectedState) {
            return std::nullopt;
        }
        m_socket.waitForReadyRead(static_cast<int>(left));
    }
}

std::optional<WindowEvent> SwayEvents::next(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 left = std::max<qint64>(0, timeoutMs - clock.elapsed());
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
