// SPDX-License-Identifier: MIT
// One frozen copy of the screen from the desktop portal
// (org.freedesktop.portal.Screenshot), the way to see the screen on a
// Wayland desktop. Asynchronous from start to end: the event loop keeps
// running while the portal works and while its image is read, and exactly
// one finished() follows each accepted request().
#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QVariantMap>
#include <memory>

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
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    // Asks for a non-interactive screenshot of the whole desktop. False, and
    // no finished(), while an earlier request is still pending. Memory for
    // an image of `expected` size is readied while the portal works.
    bool request(QSize expected = QSize());
    bool pending() const { return m_pending; }

signals:
    void finished(const huepick::PortalShot& shot);

private slots:
    void onResponse(uint code, const QVariantMap& results);

private:
    void onReply(QDBusPendingCallWatcher* watcher);
    bool listen(const QString& path);
    void stopListening();
    void closeRequest();
    void finish(PortalShot shot);
    // Reads the answer's image on m_reader; finish() follows.
    void load(const QVariantMap& results);

    QDBusConnection m_bus;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_pending = false;
    QString m_listening;  // the Request path whose Response is awaited
    QDBusPendingCallWatcher* m_watcher = nullptr;
    QTimer m_deadline;
    // Which request a finished read belongs to: one that ended meanwhile
    // (timed out) must not end the next.
    quint64 m_serial = 0;
    // The image the pending request's file is read into if it has the
    // expected size; filled in and used on m_reader only.
    std::shared_ptr<QImage> m_target;
    // Last, so that it is destroyed first: it waits for a read in progress,
    // whose answer then goes nowhere.
    QThreadPool m_reader;
};

}  // namespace huepick

Q_DECLARE_METATYPE(huepick::PortalShot)
