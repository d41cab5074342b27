// SPDX-License-Identifier: MIT
// What huepick copied is still on the clipboard after it has been closed: a
// keeper process serves it where no clipboard manager runs, until another
// program copies or the display closes; a running manager gets it instead.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <csignal>
#include <iostream>
#include <memory>

#include "core/layout.h"
#include "harness/printers.h"
#include "harness/x_app.h"
#include "harness/x_session.h"
#include "keeper_processes.h"

namespace e2e {
namespace {

using clipboard_test::alive;
using clipboard_test::keepers;
using huepick::layout::Role;

const QString kCopied = QStringLiteral("color = #FF8000");

AppOptions orange() {
    return {.ini = QByteArray("[settings]\nlastcolor=FF8000\n")};
}

QString binaryOf(const XAppRun& app) {
    return app.appDir() + QStringLiteral("/huepick");
}

// Another client that owns the clipboard with a text until something takes
// it (xclip in the foreground).
class OtherCopy {
public:
    OtherCopy(XSession& session, const QString& text) {
        m_xclip.setProcessEnvironment(session.environment());
        m_xclip.setStandardOutputFile(QProcess::nullDevice());
        m_xclip.setStandardErrorFile(QProcess::nullDevice());
        dieWithParent(m_xclip, SIGTERM);
        m_xclip.start(QStringLiteral("xclip"),
                      {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                       QStringLiteral("clipboard"), QStringLiteral("-i")});
        if (m_xclip.waitForStarted(5000)) {
            m_xclip.write(text.toUtf8());
            m_xclip.waitForBytesWritten(2000);
            m_xclip.closeWriteChannel();
        }
    }
    ~OtherCopy() { stopProcess(m_xclip, 200); }

private:
    QProcess m_xclip;
};

// Whether `process` prints a line `line` within timeoutMs; `out` collects
// what it printed.
bool waitLine(QProcess& process, QByteArray& out, const QByteArray& line, int timeoutMs = 3000) {
    return pollUntil(
        [&] {
            process.waitForReadyRead(10);
            out += process.readAllStandardOutput();
            return out.split('\n').contains(line);
        },
        timeoutMs);
}

// Starts huepick, points at the hex field and presses F1 there.
::testing::AssertionResult startAndCopy(XSession& session, XAppRun& app) {
    if (!session.ok()) {
        return ::testing::AssertionFailure() << session.error().toStdString();
    }
    if (!app.launch() || !app.focus()) {
        return ::testing::AssertionFailure()
               << "huepick did not come up: " << app.error().toStdString();
    }
    const std::optional<QString> seen = app.copyWithKey(QStringLiteral("F1"), kCopied);
    if (seen != kCopied) {
        return ::testing::AssertionFailure()
               << "the clipboard holds " << seen.value_or(QStringLiteral("nothing")).toStdString();
    }
    return ::testing::AssertionSuccess();
}

// Closes with the close button; the milliseconds until the program ended.
std::optional<qint64> closeWithButton(XAppRun& app) {
    QElapsedTimer clock;
    clock.start();
    if (!app.click(Role::CloseButton)) {
        return std::nullopt;
    }
    const ExitInfo exit = app.waitExit(8000);
    return exit.exited && !exit.crashed && exit.code == 0 ? std::optional(clock.elapsed())
                                                          : std::nullopt;
}

TEST(ClipboardAfterExit, KeeperServesTheCopyUntilAnotherProgramCopies) {
    XSession session;
    XAppRun app(session, orange());
    ASSERT_TRUE(startAndCopy(session, app));
    const std::optional<qint64> closing = closeWithButton(app);
    ASSERT_TRUE(closing) << app.stderrText().toStdString();
    // Read at once: the keeper owned the selection before the program ended.
    EXPECT_EQ(session.clipboard(), kCopied);
    EXPECT_EQ(app.stderrText(), QString());
    const QList<pid_t> kept = keepers(binaryOf(app));
    ASSERT_EQ(kept.size(), 1);
    std::cout << "closing with the hand-over to the keeper took " << *closing << " ms\n";

    OtherCopy other(session, QStringLiteral("newer"));
    EXPECT_EQ(session.waitClipboard(QStringLiteral("newer")), QStringLiteral("newer"));
    EXPECT_TRUE(pollUntil([&] { return !alive(kept.first()); }, 3000));
}

TEST(ClipboardAfterExit, KeeperEndsWithItsDisplay) {
    pid_t keeper = 0;
    {
        XSession session;
        XAppRun app(session, orange());
        ASSERT_TRUE(startAndCopy(session, app));
        ASSERT_TRUE(closeWithButton(app)) << app.stderrText().toStdString();
        const QList<pid_t> kept = keepers(binaryOf(app));
        ASSERT_EQ(kept.size(), 1);
        keeper = kept.first();
    }
    EXPECT_TRUE(pollUntil([&] { return !alive(keeper); }, 3000));
}

TEST(ClipboardAfterExit, ANewerCopyByAnotherProgramIsLeftAlone) {
    XSession session;
    XAppRun app(session, orange());
    ASSERT_TRUE(startAndCopy(session, app));
    OtherCopy other(session, QStringLiteral("newer"));
    ASSERT_EQ(session.waitClipboard(QStringLiteral("newer")), QStringLiteral("newer"));
    ASSERT_TRUE(closeWithButton(app)) << app.stderrText().toStdString();
    EXPECT_EQ(session.clipboard(), QStringLiteral("newer"));
    EXPECT_TRUE(keepers(binaryOf(app)).isEmpty());
}

TEST(ClipboardAfterExit, ClipboardManagerTakesTheCopyAndNoKeeperRuns) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    QProcess manager;
    manager.setProcessEnvironment(session.environment());
    dieWithParent(manager, SIGTERM);
    manager.start(QStringLiteral(CLIPBOARD_MANAGER_BIN), {});
    QByteArray said;
    ASSERT_TRUE(waitLine(manager, said, "ready", 5000)) << said.toStdString();

    XAppRun app(session, orange());
    ASSERT_TRUE(startAndCopy(session, app));
    const std::optional<qint64> closing = closeWithButton(app);
    ASSERT_TRUE(closing) << app.stderrText().toStdString();
    EXPECT_TRUE(waitLine(manager, said, ("saved " + kCopied).toUtf8())) << said.toStdString();
    EXPECT_EQ(session.clipboard(), kCopied);
    EXPECT_TRUE(keepers(binaryOf(app)).isEmpty()) << app.stderrText().toStdString();
    std::cout << "closing with the hand-over to the manager took " << *closing << " ms\n";
    stopProcess(manager, 200);
}

}  // namespace
}  // namespace e2e
