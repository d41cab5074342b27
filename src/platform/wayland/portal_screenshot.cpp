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

QString one_line(QString text) {
    text.replace(u'\n', u' ');
    return text.trimmed();
}

}  // namespace

PortalScreenshot::PortalScreenshot(QObject* parent)
    : PortalScreenshot(QDBusConnection::sessionBus(), parent) {}

PortalScreenshot::PortalScreenshot(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    qRegisterMetaType<huepick::PortalShot>();
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        close_request();
        finish(failed(
            QStringLiteral("the screenshot portal did not answer within %1 ms").arg(timeout_ms_)));
    });
}

PortalScreenshot::~PortalScreenshot() {
    if (pending_) {
        close_request();
    }
    stop_listening();
}

bool PortalScreenshot::request() {
    if (pending_) {
        return false;
    }
    pending_ = true;
    deadline_.start(timeout_ms_);
    if (!bus_.isConnected()) {
        // Still through the event loop: callers always get finished() later.
        QTimer::singleShot(0, this, [this] {
            finish(failed(QStringLiteral("no session bus, so no screenshot portal: ") +
                          one_line(bus_.lastError().message())));
        });
        return true;
    }
    // The Response may come before the call's reply: listen first, on the
    // path the portal will use.
    const QString token = portal::new_token();
    if (!listen(portal::request_path(bus_.baseService(), token))) {
        QTimer::singleShot(0, this, [this] {
            finish(failed(QStringLiteral("cannot listen for the screenshot portal's answer: ") +
                          one_line(bus_.lastError().message())));
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
    watcher_ = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeout_ms_ + 1000), this);
    connect(watcher_, &QDBusPendingCallWatcher::finished, this, &PortalScreenshot::on_reply);
    return true;
}

void PortalScreenshot::on_reply(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher != watcher_) {
        return;  // the reply to a request that has already ended
    }
    watcher_ = nullptr;
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        const QDBusError error = reply.error();
        const QString why = error.type() == QDBusError::ServiceUnknown
                                ? QStringLiteral("no screenshot portal on the session bus")
                                : QStringLiteral("the screenshot portal refused the call");
        finish(failed(
            QStringLiteral("%1 (%2: %3)").arg(why, error.name(), one_line(error.message()))));
        return;
    }
    // Portals older than the handle_token rule pick a path of their own.
    const QString handle = reply.value().path();
    if (handle != listening_) {
        stop_listening();
        if (!listen(handle)) {
            finish(failed(QStringLiteral("cannot listen for the screenshot portal's answer on ") +
                          handle));
        }
    }
}

bool PortalScreenshot::listen(const QString& path) {
    // Only the portal itself may answer: the match names its service.
    if (!bus_.connect(kService, path, kRequest, QStringLiteral("Response"), this,
                      SLOT(on_response(uint, QVariantMap)))) {
        return false;
    }
    listening_ = path;
    return true;
}

void PortalScreenshot::stop_listening() {
    if (!listening_.isEmpty()) {
        bus_.disconnect(kService, listening_, kRequest, QStringLiteral("Response"), this,
                        SLOT(on_response(uint, QVariantMap)));
        listening_.clear();
    }
}

void PortalScreenshot::close_request() {
    // Tells a portal that is still working that nobody waits any more; its
    // answer is not awaited.
    if (!listening_.isEmpty() && bus_.isConnected()) {
        bus_.send(QDBusMessage::createMethodCall(kService, listening_, kRequest,
                                                 QStringLiteral("Close")));
    }
}

void PortalScreenshot::on_response(uint code, const QVariantMap& results) {
    if (!pending_) {
        return;
    }
    switch (portal::response_kind(code)) {
        case portal::Response::Success:
            finish(load(results));
            break;
        case portal::Response::Cancelled: {
            PortalShot shot;
            shot.status = PortalShot::Status::Cancelled;
            finish(shot);
            break;
        }
        case portal::Response::Failed:
            finish(failed(portal::response_error(code)));
            break;
    }
}

PortalShot PortalScreenshot::load(const QVariantMap& results) const {
    const QString uri = results.value(QStringLiteral("uri")).toString();
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        return failed(QStringLiteral("the screenshot portal gave no local file (uri \"%1\")")
                          .arg(one_line(uri)));
    }
    const QString path = url.toLocalFile();
    QImageReader reader(path);
    PortalShot shot;
    // Decoded straight into memory that goes back to the system with the
    // image; the reader fills an image of its own size and format in place.
    shot.image = mappedImage(reader.size(), reader.imageFormat());
    if (!reader.read(&shot.image)) {
        shot.image = QImage();
    }
    if (shot.image.isNull()) {
        return failed(
            QStringLiteral("cannot read the screenshot %1: %2").arg(path, reader.errorString()));
    }
    shot.status = PortalShot::Status::Image;
    // Only a copy made for us in a temporary place is ours to remove.
    if (portal::is_disposable(path, portal::temporary_folders())) {
        QFile::remove(QFileInfo(path).canonicalFilePath());
    }
    return shot;
}

void PortalScreenshot::finish(PortalShot shot) {
    if (!pending_) {
        return;
    }
    pending_ = false;
    deadline_.stop();
    stop_listening();
    if (watcher_) {
        // Its reply, should it still come, changes nothing.
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
    emit finished(shot);
}

}  // namespace huepick
