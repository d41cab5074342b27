// SPDX-License-Identifier: MIT
// XSession's clipboard, read and owned through xclip as any other client
// would.
#include <csignal>

#include "harness/x_session.h"

namespace e2e {

std::optional<QString> XSession::clipboard() const {
    const ToolResult r = tool(
        QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")}, 1500);
    return r.ok() ? std::optional<QString>(r.text()) : std::nullopt;
}

std::optional<QString> XSession::waitClipboard(const QString& expected, int timeoutMs) const {
    std::optional<QString> seen;
    pollUntil(
        [&] {
            seen = clipboard();
            return seen == expected;
        },
        timeoutMs, 20);
    return seen;
}

std::optional<QString> XSession::waitClipboardChange(const std::optional<QString>& previous,
                                                     int timeoutMs) const {
    std::optional<QString> seen;
    pollUntil(
        [&] {
            seen = clipboard();
            // Between its clear and its set the clipboard has no owner at all.
            return seen && seen != previous;
        },
        timeoutMs, 20);
    return seen;
}

void XSession::reapSentinels() {
    std::erase_if(m_sentinels, [](const std::unique_ptr<QProcess>& p) {
        return p->state() == QProcess::NotRunning;
    });
}

bool XSession::putSentinel() {
    reapSentinels();
    m_sentinel = QStringLiteral("sentinel %1").arg(++m_sentinelsMade);
    // In the foreground xclip keeps the selection until another client takes
    // it, and then exits; its PID stays ours to end.
    auto owner = std::make_unique<QProcess>();
    owner->setProcessEnvironment(environment());
    owner->setStandardOutputFile(QProcess::nullDevice());
    owner->setStandardErrorFile(QProcess::nullDevice());
    dieWithParent(*owner, SIGTERM);
    owner->start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                           QStringLiteral("clipboard"), QStringLiteral("-i")});
    if (!owner->waitForStarted(5000)) {
        return false;
    }
    // Without an event loop the pipe is only fed while we wait for it.
    owner->write(m_sentinel.toUtf8());
    owner->waitForBytesWritten(2000);
    owner->closeWriteChannel();
    m_sentinels.push_back(std::move(owner));
    return waitClipboard(m_sentinel) == m_sentinel;
}

}  // namespace e2e
