// SPDX-License-Identifier: MIT
// What huepick copied on Wayland is still on the clipboard after it has been
// closed, served by its keeper process through data control, until another
// program copies; a newer copy by another program is left alone.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <iostream>

#include "core/layout.h"
#include "huepick_in_session.h"
#include "keeper_processes.h"
#include "sway_required.h"

namespace e2e::wayland {
namespace {

using clipboard_test::alive;
using clipboard_test::keepers;
using huepick::layout::Role;
using huepick::layout::windowRect;

const QString kCopied = QStringLiteral("color = #FF8000");

QPointF centreOf(Role role) {
    return QRectF(windowRect(role)).center();
}

class ClipboardAfterExit : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SWAY();
        SessionOptions options;
        options.portal = Portal::Absent;
        m_session = std::make_unique<WaylandSession>(options);
        ASSERT_TRUE(m_session->ok()) << m_session->error().toStdString();
        m_app = std::make_unique<HuepickInSession>(*m_session, iniWithColour("FF8000"));
        ASSERT_TRUE(m_app->start()) << m_app->error().toStdString();
        // The click gives the keyboard; F1 over the hex field copies.
        ASSERT_TRUE(m_app->click(centreOf(Role::HexField)));
        ASSERT_TRUE(m_app->keyAt(centreOf(Role::HexField), QStringLiteral("F1")));
        ASSERT_TRUE(pollUntil([&] { return m_session->clipboard() == kCopied; }, 3000))
            << m_session->clipboard().value_or(QStringLiteral("(nothing)")).toStdString();
    }

    void close() {
        ASSERT_TRUE(m_app->click(centreOf(Role::CloseButton)));
        ASSERT_EQ(m_app->waitExit(), 0) << m_app->stderrText().toStdString();
    }

    QList<pid_t> keepersLeft() const {
        return keepers(m_session->scratchDir() + QStringLiteral("/app/huepick"));
    }

    std::unique_ptr<WaylandSession> m_session;
    std::unique_ptr<HuepickInSession> m_app;
};

TEST_F(ClipboardAfterExit, KeeperServesTheCopyUntilAnotherProgramCopies) {
    QElapsedTimer clock;
    clock.start();
    close();
    std::cout << "closing with the hand-over to the keeper took " << clock.elapsed() << " ms\n";
    // Read at once: the keeper owned the clipboard before the program ended.
    EXPECT_EQ(m_session->clipboard(), kCopied);
    const QList<pid_t> kept = keepersLeft();
    ASSERT_EQ(kept.size(), 1);
    ASSERT_TRUE(m_session->setClipboard(QStringLiteral("newer")));
    EXPECT_TRUE(pollUntil([&] { return !alive(kept.first()); }, 3000));
}

TEST_F(ClipboardAfterExit, ANewerCopyByAnotherProgramIsLeftAlone) {
    ASSERT_TRUE(m_session->setClipboard(QStringLiteral("newer")));
    close();
    EXPECT_EQ(m_session->clipboard(), QStringLiteral("newer"));
    EXPECT_TRUE(keepersLeft().isEmpty());
}

}  // namespace
}  // namespace e2e::wayland
