// XSession's clipboard, read and owned through xclip as any other client
// would.
#include <csignal>

#include "harness/x_session.h"

namespace e2e {

std::optional<QString> XSession::clipboard() const {
    const ToolResult r = tool(
        QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")}, 1500);
    return r.ok() ? std::optional<QString>(r.out) : std::nullopt;
}

std::optional<QString> XSession::wait_clipboard(const QString& expected, int timeout_ms) const {
    std::optional<QString> seen;
    poll_until(
        [&] {
            seen = clipboard();
            return seen == expected;
        },
        timeout_ms, 20);
    return seen;
}

std::optional<QString> XSession::wait_clipboard_change(const std::optional<QString>& previous,
                                                       int timeout_ms) const {
    std::optional<QString> seen;
    poll_until(
        [&] {
            seen = clipboard();
            // Between its clear and its set the clipboard has no owner at all.
            return seen && seen != previous;
        },
        timeout_ms, 20);
    return seen;
}

void XSession::reap_sentinels() {
    std::erase_if(sentinels_, [](const std::unique_ptr<QProcess>& p) {
        return p->state() == QProcess::NotRunning;
    });
}

bool XSession::put_sentinel() {
    reap_sentinels();
    sentinel_ = QStringLiteral("sentinel %1").arg(++sentinels_made_);
    // In the foreground xclip keeps the selection until another client takes
    // it, and then exits; its PID stays ours to end.
    auto owner = std::make_unique<QProcess>();
    owner->setProcessEnvironment(environment());
    owner->setStandardOutputFile(QProcess::nullDevice());
    owner->setStandardErrorFile(QProcess::nullDevice());
    die_with_parent(*owner, SIGTERM);
    owner->start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                           QStringLiteral("clipboard"), QStringLiteral("-i")});
    if (!owner->waitForStarted(5000)) {
        return false;
    }
    // Without an event loop the pipe is only fed while we wait for it.
    owner->write(sentinel_.toUtf8());
    owner->waitForBytesWritten(2000);
    owner->closeWriteChannel();
    sentinels_.push_back(std::move(owner));
    return wait_clipboard(sentinel_) == sentinel_;
}

}  // namespace e2e
