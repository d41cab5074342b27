// SPDX-License-Identifier: MIT
// PortalScreenshot against the real portal of a session and against
// stand-ins that cancel, refuse, fail, stay silent or never reply.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QUrl>

#include "portal_client_run.h"
#include "sway_required.h"
#include "wayland_session.h"

namespace e2e::wayland {
namespace {

TEST(PortalClient, FailuresAndCancellingEndWithOneClearOutcome) {
    SKIP_WITHOUT_SWAY();
    const struct {
        Portal portal;
        const char* kind;
        const char* text;
    } cases[] = {
        {Portal::Absent, "error", "no screenshot portal on the session bus"},
        {Portal::Cancels, "cancelled", ""},
        {Portal::Refuses, "error", "response code 2"},
        {Portal::ErrorReply, "error", "refused the call (org.freedesktop.DBus.Error.Failed"},
        {Portal::Silent, "error", "did not answer within 700 ms"},
        {Portal::NoReply, "error", "did not answer within 700 ms"},
    };
    for (const auto& c : cases) {
        auto session = sessionWith(c.portal);
        ASSERT_TRUE(session->ok()) << session->error().toStdString();
        const Outcome out = runClient(*session, {QStringLiteral("--timeout"), "700"});
        EXPECT_EQ(out.kind, QLatin1String(c.kind)) << out.line.toStdString();
        EXPECT_TRUE(out.line.contains(QLatin1String(c.text))) << out.line.toStdString();
    }
}

// Stand-ins answer with files in a folder of the test's own: tmp/ is the
// client's temporary folder (its TMPDIR), keep/ lies outside every
// temporary folder of the client.
class CannedFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WaylandSession::swayInstalled()) {
            GTEST_SKIP() << "sway is not installed";
        }
        QString why;
        m_user = SessionUser::resolve(&why);
        ASSERT_TRUE(m_user) << why.toStdString();
        m_base = m_user->makeFolder(QDir::tempPath(), QStringLiteral("huepick-canned"));
        ASSERT_FALSE(m_base.isEmpty());
        for (const QString& sub : {QStringLiteral("tmp"), QStringLiteral("keep")}) {
            ASSERT_TRUE(QDir().mkdir(m_base + u'/' + sub));
            ASSERT_TRUE(m_user->give(m_base + u'/' + sub));
        }
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor(0x12, 0x34, 0x56));
        for (const QString& name : {tempFile(), keptFile()}) {
            ASSERT_TRUE(image.save(name, "PNG"));
            ASSERT_TRUE(m_user->give(name));
        }
    }
    void TearDown() override {
        if (!m_base.isEmpty()) {
            QDir(m_base).removeRecursively();
        }
    }
    QString tempFile() const { return m_base + QStringLiteral("/tmp/shot.png"); }
    QString keptFile() const { return m_base + QStringLiteral("/keep/shot.png"); }

    // The client's outcome when the stand-in answers with `path`.
    Outcome answerWith(const QString& path, bool oddPath = false) {
        auto session = sessionWith(Portal::Canned, QUrl::fromLocalFile(path).toString(), oddPath);
        if (!session->ok()) {
            return {session->error(), QStringLiteral("no session")};
        }
        return runClient(*session, {},
                         {{QStringLiteral("TMPDIR"), m_base + QStringLiteral("/tmp")}});
    }

    std::optional<SessionUser> m_user;
    QString m_base;
};

TEST_F(CannedFile, OneInTheTemporaryFolderIsLoadedThenRemoved) {
    const Outcome out = answerWith(tempFile());
    EXPECT_EQ(out.line.section(u' ', 0, 3), QStringLiteral("image 64 48 123456"))
        << out.line.toStdString();
    EXPECT_FALSE(QFile::exists(tempFile()));
}

TEST_F(CannedFile, OneElsewhereIsLoadedAndKept) {
    const Outcome out = answerWith(keptFile());
    EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
    EXPECT_TRUE(QFile::exists(keptFile()));
}

TEST_F(CannedFile, LinksAndDotDotInTheTemporaryFolderDoNotReachOtherFiles) {
    const QString link = m_base + QStringLiteral("/tmp/link.png");
    ASSERT_TRUE(QFile::link(keptFile(), link));
    for (const QString& path : {link, m_base + QStringLiteral("/tmp/../keep/shot.png")}) {
        const Outcome out = answerWith(path);
        EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
        EXPECT_TRUE(QFile::exists(keptFile())) << path.toStdString();
    }
}

TEST_F(CannedFile, AnAnswerOnAnotherHandleThanTheExpectedOneStillArrives) {
    const Outcome out = answerWith(tempFile(), true);
    EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
}

TEST_F(CannedFile, AnUnreadableFileIsAnErrorNamingIt) {
    const QString missing = m_base + QStringLiteral("/tmp/missing.png");
    const Outcome out = answerWith(missing);
    EXPECT_EQ(out.kind, QStringLiteral("error"));
    EXPECT_TRUE(out.line.contains(missing)) << out.line.toStdString();
}

}  // namespace
}  // namespace e2e::wayland
