// SPDX-License-Identifier: MIT
// The benchmark's instruments on real desktops: the backdrop's cells and
// ticker as the screen shows them, the windows it sees made, the harness's
// XTEST pointer and window search, and the floors answering when asked.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QUrl>

#include "backdrop.h"
#include "harness/process.h"
#include "harness/x_session.h"
#include "session_program.h"
#include "wayland_session.h"
#include "x_watch.h"

namespace bench {
namespace {

using e2e::wayland::SessionProgram;

std::unique_ptr<SessionProgram> startIn(const e2e::XSession& session, const QString& program,
                                        const QStringList& args = {}) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(session.environment());
    process->setStandardInputFile(QProcess::nullDevice());
    e2e::dieWithParent(*process, SIGKILL);
    process->start(program, args);
    return process->waitForStarted(5000) ? std::make_unique<SessionProgram>(std::move(process))
                                         : nullptr;
}

TEST(OnXvfb, TheBackdropShowsItsCellsAndTickerAndSeesNewWindows) {
    e2e::XSession session({.screenSize = {800, 600}});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    Backdrop backdrop(session.display());
    ASSERT_TRUE(backdrop.ok());
    EXPECT_EQ(backdrop.size(), QSize(800, 600));
    for (QPoint cell : {QPoint(0, 0), QPoint(5, 3), QPoint(11, 8)}) {
        EXPECT_EQ(pixelAt(session.x(), Backdrop::cellRect(cell).center()),
                  Backdrop::cellColour(cell));
    }
    EXPECT_FALSE(backdrop.ticker().intersects(QRect(0, 0, 400, 300)));
    for (int n : {1, 300, 65535}) {
        backdrop.tick(n);
        const std::optional<QRgb> shown = pixelAt(session.x(), backdrop.ticker().center());
        ASSERT_TRUE(shown);
        EXPECT_EQ(Backdrop::countOf(*shown), n);
    }

    backdrop.createdWindows();
    auto bare = startIn(session, QStringLiteral(BENCH_BARE_WINDOW_BIN));
    ASSERT_TRUE(bare);
    e2e::XWindow window = 0;
    ASSERT_TRUE(e2e::pollUntil(
        [&] {
            return (window = session.x().topLevel(QStringLiteral("huepick bench bare window"),
                                                  bare->pid())) != 0;
        },
        10000));
    EXPECT_EQ(session.x().topLevel(QStringLiteral("huepick bench bare window"), bare->pid() + 1),
              0u);
    const std::vector<std::uint32_t> made = backdrop.createdWindows();
    EXPECT_NE(std::find(made.begin(), made.end(), window), made.end())
        << "the bare window was made after the backdrop was last asked";
}

TEST(OnXvfb, TheBareWindowIsCentredInItsColourAndThePointerMovesThroughXtest) {
    e2e::XSession session({.screenSize = {1024, 768}});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    auto bare = startIn(session, QStringLiteral(BENCH_BARE_WINDOW_BIN), {"#102030"});
    ASSERT_TRUE(bare);
    e2e::XWindow window = 0;
    ASSERT_TRUE(e2e::pollUntil(
        [&] {
            window = session.x().topLevel(QStringLiteral("huepick bench bare window"), bare->pid());
            return window != 0 && pixelAt(session.x(), {512, 384}) == 0x102030u;
        },
        10000));
    EXPECT_EQ(session.x().geometry(window), QRect(312, 234, 400, 300));

    for (QPoint to : {QPoint(10, 20), QPoint(1023, 767)}) {
        ASSERT_TRUE(session.x().fakeMotion(to));
        session.x().roundTrip();
        EXPECT_EQ(session.x().pointer(), to);
    }
}

TEST(OnXvfb, TheGrabProbeCopiesTheScreenEachTimeItIsAsked) {
    e2e::XSession session({.screenSize = {640, 480}, .windowManager = false});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    auto probe = startIn(session, QStringLiteral(BENCH_GRAB_PROBE_BIN));
    ASSERT_TRUE(probe);
    ASSERT_TRUE(probe->waitLine(QStringLiteral("ready"), 10000))
        << probe->stderrText().toStdString();
    for (int i = 0; i < 3; ++i) {
        ::kill(static_cast<pid_t>(probe->pid()), SIGUSR1);
        const std::optional<QString> line = probe->waitLine(QString(), 5000);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->section(u' ', 0, 0), QStringLiteral("grab"));
        EXPECT_GT(line->section(u' ', 1, 1).toDouble(), 0.0);
        EXPECT_EQ(line->section(u' ', 2), QStringLiteral("640x480"));
    }
    EXPECT_TRUE(probe->running());
}

TEST(OnWayland, ThePortalProbeReportsEachScreenshotOrWhyThereIsNone) {
    if (!e2e::wayland::WaylandSession::swayInstalled()) {
        GTEST_SKIP() << "sway is not installed";
    }
    QString why;
    const auto user = e2e::wayland::SessionUser::resolve(&why);
    ASSERT_TRUE(user) << why.toStdString();
    const QString folder = user->makeFolder(QDir::tempPath(), QStringLiteral("huepick-bench"));
    ASSERT_FALSE(folder.isEmpty());
    const QString shot = folder + QStringLiteral("/shot.png");
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(shot) && user->give(shot));

    using e2e::wayland::Portal;
    for (auto [portal, expected] : {std::pair(Portal::Canned, QStringLiteral("shot")),
                                    std::pair(Portal::Refuses, QStringLiteral("failed"))}) {
        e2e::wayland::SessionOptions options;
        options.portal = portal;
        options.portalUri = QUrl::fromLocalFile(shot).toString();
        e2e::wayland::WaylandSession session(options);
        ASSERT_TRUE(session.ok()) << session.error().toStdString();
        auto probe = session.run(QStringLiteral(BENCH_PORTAL_PROBE_BIN), {}, &why);
        ASSERT_TRUE(probe) << why.toStdString();
        ASSERT_TRUE(probe->waitLine(QStringLiteral("ready"), 10000));
        for (int i = 0; i < 2; ++i) {
            ::kill(static_cast<pid_t>(probe->pid()), SIGUSR1);
            const std::optional<QString> line = probe->waitLine(QString(), 10000);
            ASSERT_TRUE(line) << probe->stderrText().toStdString();
            EXPECT_EQ(line->section(u' ', 0, 0), expected) << line->toStdString();
            if (portal == Portal::Canned) {
                EXPECT_EQ(line->section(u' ', 3), QStringLiteral("64x48"));
            } else {
                EXPECT_EQ(*line, QStringLiteral("failed response 2"));
            }
        }
    }
    QDir(folder).removeRecursively();
}

}  // namespace
}  // namespace bench
