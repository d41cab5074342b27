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
        auto session = session_with(c.portal);
        ASSERT_TRUE(session->ok()) << session->error().toStdString();
        const Outcome out = run_client(*session, {QStringLiteral("--timeout"), "700"});
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
        user_ = SessionUser::resolve(&why);
        ASSERT_TRUE(user_) << why.toStdString();
        base_ = user_->makeFolder(QDir::tempPath(), QStringLiteral("huepick-canned"));
        ASSERT_FALSE(base_.isEmpty());
        for (const QString& sub : {QStringLiteral("tmp"), QStringLiteral("keep")}) {
            ASSERT_TRUE(QDir().mkdir(base_ + u'/' + sub));
            ASSERT_TRUE(user_->give(base_ + u'/' + sub));
        }
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor(0x12, 0x34, 0x56));
        for (const QString& name : {temp_file(), kept_file()}) {
            ASSERT_TRUE(image.save(name, "PNG"));
            ASSERT_TRUE(user_->give(name));
        }
    }
    void TearDown() override {
        if (!base_.isEmpty()) {
            QDir(base_).removeRecursively();
        }
    }
    QString temp_file() const { return base_ + QStringLiteral("/tmp/shot.png"); }
    QString kept_file() const { return base_ + QStringLiteral("/keep/shot.png"); }

    // The client's outcome when the stand-in answers with `path`.
    Outcome answer_with(const QString& path, bool odd_path = false) {
        auto session = session_with(Portal::Canned, QUrl::fromLocalFile(path).toString(), odd_path);
        if (!session->ok()) {
            return {session->error(), QStringLiteral("no session")};
        }
        return run_client(*session, {},
                          {{QStringLiteral("TMPDIR"), base_ + QStringLiteral("/tmp")}});
    }

    std::optional<SessionUser> user_;
    QString base_;
};

TEST_F(CannedFile, OneInTheTemporaryFolderIsLoadedThenRemoved) {
    const Outcome out = answer_with(temp_file());
    EXPECT_EQ(out.line.section(u' ', 0, 3), QStringLiteral("image 64 48 123456"))
        << out.line.toStdString();
    EXPECT_FALSE(QFile::exists(temp_file()));
}

TEST_F(CannedFile, OneElsewhereIsLoadedAndKept) {
    const Outcome out = answer_with(kept_file());
    EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
    EXPECT_TRUE(QFile::exists(kept_file()));
}

TEST_F(CannedFile, LinksAndDotDotInTheTemporaryFolderDoNotReachOtherFiles) {
    const QString link = base_ + QStringLiteral("/tmp/link.png");
    ASSERT_TRUE(QFile::link(kept_file(), link));
    for (const QString& path : {link, base_ + QStringLiteral("/tmp/../keep/shot.png")}) {
        const Outcome out = answer_with(path);
        EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
        EXPECT_TRUE(QFile::exists(kept_file())) << path.toStdString();
    }
}

TEST_F(CannedFile, AnAnswerOnAnotherHandleThanTheExpectedOneStillArrives) {
    const Outcome out = answer_with(temp_file(), true);
    EXPECT_EQ(out.kind, QStringLiteral("image")) << out.line.toStdString();
}

TEST_F(CannedFile, AnUnreadableFileIsAnErrorNamingIt) {
    const QString missing = base_ + QStringLiteral("/tmp/missing.png");
    const Outcome out = answer_with(missing);
    EXPECT_EQ(out.kind, QStringLiteral("error"));
    EXPECT_TRUE(out.line.contains(missing)) << out.line.toStdString();
}

}  // namespace
}  // namespace e2e::wayland
