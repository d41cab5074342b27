// SPDX-License-Identifier: MIT
#include "platform/wayland/portal_screenshot.h"

#include "platform/mapped_image.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>
#include <utility>

#include "platform/wayland/portal_rules.h"

namespace huepick {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

PortalShot failed(const QString& why) {
    PortalShot shot;
    shot.status = PortalShot::Status::Failed;
    shot.error = why;
    return shot;
}

QString oneLine(QString text) {
    text.replace(u'\n', u' ');
    return text.trimmed();
}

// Runs on the reading thread: a screen-sized PNG takes tens of ms to decode.
PortalShot readFile(const QString& path, const QStringList& temporary, QImage target) {
    QImageReader reader(path);
    PortalShot shot;
    // Decoded straight into memory that goes back to the system with the
    // image; the reader fills an image of its own size and format in place.
    shot.image = target.size() == reader.size() && target.format() == reader.imageFormat()
                     ? std::move(target)
                     : mappedImage(reader.size(), reader.imageFormat());
    if (!reader.read(&shot.image)) {
        shot.image = QImage();
    }
    if (shot.image.isNull()) {
        return failed(
            QStringLiteral("cannot read the screenshot %1: %2").arg(path, reader.errorString()));
    }
    shot.status = PortalShot::Status::Image;
    // Only a copy made for us in a temporary place is ours to remove.
    if (portal::isDisposable(path, temporary)) {
        QFile::remove(QFileInfo(path).canonicalFilePath());
    }
    return shot;
}

}  // namespace

PortalScreenshot::PortalScreenshot(QObject* parent)
    : PortalScreenshot(QDBusConnection::sessionBus(), parent) {}

PortalScreenshot::PortalScreenshot(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {
    qRegisterMetaType<huepick::PortalShot>();
    m_reader.setMaxThreadCount(1);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        closeRequest();
        finish(failed(
            QStringLiteral("the screenshot portal did not answer within %1 ms").arg(m_timeoutMs)));
    });
}

PortalScreenshot::~PortalScreenshot() {
    if (m_pending) {
        closeRequest();
    }
    stopListening();
    m_reader.waitForDone();
}

bool PortalScreenshot::request(QSize expected) {
    if (m_pending) {
        return false;
    }
    m_pending = true;
    ++m_serial;
    m_deadline.start(m_timeoutMs);
    m_target = std::make_shared<QImage>();
    if (expected.isValid()) {
        // A screen's worth of pages costs some ms to fault in while the PNG
        // is decoded; now the portal keeps us waiting anyway.
        m_reader.start([target = m_target, expected] {
            *target = mappedImage(expected, QImage::Format_RGB32, nullptr, true);
        });
    }
    if (!m_bus.isConnected()) {
        // Still through the event loop: callers always get finished() later.
        QTimer::singleShot(0, this, [this] {
            finish(failed(QStringLiteral("no session bus, so no screenshot portal: ") +
                          oneLine(m_bus.lastError().message())));
        });
        return true;
    }
    // The Response may come before the call's reply: listen first, on the
    // path the portal will use.
    const QString token = portal::newToken();
    if (!listen(portal::requestPath(m_bus.baseService(), token))) {
        QTimer::singleShot(0, this, [this] {
            finish(failed(QStringLiteral("cannot listen for the screenshot portal's answer: ") +
                          oneLine(m_bus.lastError().message())));
        });
        return true;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kObject, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    // The call's own time limit is longer, so that a portal that never
    // replies ends with the deadline's clearer message.
    m_watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs + 1000), this);
    connect(m_watcher, &QDBusPendingCallWatcher::finished, this, &PortalScreenshot::onReply);
    return true;
}

void PortalScreenshot::onReply(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher != m_watcher) {
        return;  // the reply to a request that has already ended
    }
    m_watcher = nullptr;
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        const QDBusError error = reply.error();
        const QString why = error.type() == QDBusError::ServiceUnknown
                                ? QStringLiteral("no screenshot portal on the session bus")
                                : QStringLiteral("the screenshot portal refused the call");
        finish(
            failed(QStringLiteral("%1 (%2: %3)").arg(why, error.name(), oneLine(error.message()))));
        return;
    }
    // Portals older than the handle_token rule pick a path of their own.
    const QString handle = reply.value().path();
    if (handle != m_listening) {
        stopListening();
        if (!listen(handle)) {
            finish(failed(QStringLiteral("cannot listen for the screenshot portal's answer on ") +
                          handle));
        }
    }
}

bool PortalScreenshot::listen(const QString& path) {
    // Only the portal itself may answer: the match names its service.
    if (!m_bus.connect(kService, path, kRequest, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)))) {
        return false;
    }
    m_listening = path;
    return true;
}

void PortalScreenshot::stopListening() {
    if (!m_listening.isEmpty()) {
        m_bus.disconnect(kService, m_listening, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
        m_listening.clear();
    }
}

void PortalScreenshot::closeRequest() {
    // Tells a portal that is still working that nobody waits any more; its
    // answer is not awaited.
    if (!m_listening.isEmpty() && m_bus.isConnected()) {
        m_bus.send(QDBusMessage::createMethodCall(kService, m_listening, kRequest,
                                                  QStringLiteral("Close")));
    }
}

void PortalScreenshot::onResponse(uint code, const QVariantMap& results) {
    if (!m_pending) {
        return;
    }
    switch (portal::responseKind(code)) {
        case portal::Response::Success:
            load(results);
            break;
        case portal::Response::Cancelled: {
            PortalShot shot;
            shot.status = PortalShot::Status::Cancelled;
            finish(shot);
            break;
        }
        case portal::Response::Failed:
            finish(failed(portal::responseError(code)));
            break;
    }
}

void PortalScreenshot::load(const QVariantMap& results) {
    // Answered: nothing more is to come on the request's path.
    stopListening();
    const QString uri = results.value(QStringLiteral("uri")).toString();
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        finish(failed(QStringLiteral("the screenshot portal gave no local file (uri \"%1\")")
                          .arg(oneLine(uri))));
        return;
    }
    // Found here: the folders depend on the application's name.
    const QStringList temporary = portal::temporaryFolders();
    m_reader.start([this, path = url.toLocalFile(), temporary, serial = m_serial,
                    target = std::exchange(m_target, nullptr)] {
        PortalShot shot =
            readFile(path, temporary, target ? std::exchange(*target, QImage()) : QImage());
        QMetaObject::invokeMethod(
            this,
            [this, shot = std::move(shot), serial]() mutable {
                if (serial == m_serial) {
                    finish(std::move(shot));
                }
            },
            Qt::QueuedConnection);
    });
}

void PortalScreenshot::finish(PortalShot shot) {
    if (!m_pending) {
        return;
    }
    m_pending = false;
    // Unused when the portal failed or was cancelled.
    m_target.reset();
    m_deadline.stop();
    stopListening();
    if (m_watcher) {
        // Its reply, should it still come, changes nothing.
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    emit finished(shot);
}

}  // namespace huepick
