// SPDX-License-Identifier: MIT
// One frozen copy of the screen from the desktop portal
// (org.freedesktop.portal.Screenshot), the way to see the screen on a
// Wayland desktop. Asynchronous from start to end: the event loop keeps
// running while the portal works, and exactly one finished() follows each
// accepted request().
#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class QDBusPendingCallWatcher;

namespace huepick {

struct PortalShot {
    enum class Status { Image, Cancelled, Failed };
    Status status = Status::Failed;
    QImage image;   // Status::Image only
    QString error;  // Status::Failed only: one line
};

class PortalScreenshot : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 5000;

    explicit PortalScreenshot(QObject* parent = nullptr);
    // Talks to the portal over `bus` (the session bus by default).
    explicit PortalScreenshot(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalScreenshot() override;

    // How long a portal may take before the request fails.
    void set_timeout_ms(int ms) { timeout_ms_ = ms; }
    int timeout_ms() const { return timeout_ms_; }

    // Asks for a non-interactive screenshot of the whole desktop. False, and
    // no finished(), while an earlier request is still pending.
    bool request();
    bool pending() const { return pending_; }

signals:
    void finished(const huepick::PortalShot& shot);

private slots:
    void on_response(uint code, const QVariantMap& results);

private:
    void on_reply(QDBusPendingCallWatcher* watcher);
    bool listen(const QString& path);
    void stop_listening();
    void close_request();
    void finish(PortalShot shot);
    PortalShot load(const QVariantMap& results) const;

    QDBusConnection bus_;
    int timeout_ms_ = kDefaultTimeoutMs;
    bool pending_ = false;
    QString listening_;  // the Request path whose Response is awaited
    QDBusPendingCallWatcher* watcher_ = nullptr;
    QTimer deadline_;
};

}  // namespace huepick

Q_DECLARE_METATYPE(huepick::PortalShot)
