// SPDX-License-Identifier: MIT
// The command line of the real binary: help and version need no display, a
// bad option is a usage error, and --pick / --magnify pick one pixel from
// the screen with no main window and print it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include "core/pick_geometry.h"
#include "e2e_commands/pattern_background.h"
#include "harness/app_run.h"
#include "harness/printers.h"
#include "harness/x_session.h"

namespace e2e {
namespace {

// The test runner's environment without any display.
QProcessEnvironment withoutDisplay(const TempDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    return env;
}

ToolResult runHuepick(const QStringList& args, const QProcessEnvironment& env) {
    return runTool(huepickBinary(), args, env, 10000);
}

TEST(CommandLine, HelpAndVersionGoToStdoutWithOrWithoutADisplay) {
    TempDir runtime(QStringLiteral("run"));
    ASSERT_TRUE(runtime.ok());
    XSession session({.windowManager = false});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QRegularExpression version(QStringLiteral("^huepick \\d+\\.\\d+(\\.\\d+)?\\n$"));

    for (const auto& [place, env] : {std::pair{"no display", withoutDisplay(runtime)},
                                     std::pair{"a display", session.environment()}}) {
        SCOPED_TRACE(place);
        for (const char* option : {"--help", "-h"}) {
            const ToolResult r = runHuepick({QLatin1String(option)}, env);
            EXPECT_TRUE(r.ok()) << option << ": " << r.describe().toStdString();
            EXPECT_TRUE(r.text().startsWith(QStringLiteral("Usage: huepick")))
                << r.text().toStdString();
            EXPECT_TRUE(r.text().contains(QStringLiteral("--pick")) &&
                        r.text().contains(QStringLiteral("--magnify")) &&
                        r.text().contains(QStringLiteral("--format")))
                << r.text().toStdString();
            EXPECT_EQ(r.err, QString());
        }
        for (const char* option : {"--version", "-v"}) {
            const ToolResult r = runHuepick({QLatin1String(option)}, env);
            EXPECT_TRUE(r.ok()) << option << ": " << r.describe().toStdString();
            EXPECT_TRUE(version.match(r.text()).hasMatch()) << r.text().toStdString();
            EXPECT_EQ(r.err, QString());
        }
    }
    // Nothing was shown, so there is nothing to be found on the display.
    EXPECT_TRUE(session.x().findNamed(kMainTitle).empty());
}

// Refused before any display is looked for: without one, a later check
// would end with status 1 instead.
TEST(CommandLine, BadOptionsPrintUsageToStderrAndExitWithStatusTwo) {
    TempDir runtime(QStringLiteral("run"));
    ASSERT_TRUE(runtime.ok());
    const QProcessEnvironment env = withoutDisplay(runtime);
    const QStringList bad[] = {
        {QStringLiteral("--bogus")},
        {QStringLiteral("stray")},
        {QStringLiteral("--pick"), QStringLiteral("--format"), QStringLiteral("0")},
        {QStringLiteral("--pick"), QStringLiteral("--format"), QStringLiteral("11")},
        {QStringLiteral("--magnify"), QStringLiteral("--format"), QStringLiteral("x")},
        {QStringLiteral("--pick"), QStringLiteral("--format")},
        {QStringLiteral("--format"), QStringLiteral("3")},
        {QStringLiteral("--pick"), QStringLiteral("--magnify")},
    };
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const ToolResult r = runHuepick(args, env);
        ASSERT_TRUE(r.started && r.finished) << r.describe().toStdString();
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_EQ(r.text(), QString());
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("huepick: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Usage: huepick"))) << r.err.toStdString();
    }
}

// ---------------------------------------------------------------- --pick, --magnify

const QString kCaptureTitle = QStringLiteral("captureme");

class PickCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_session.ok()) << m_session.error().toStdString();
        const QString why = m_pattern.show(m_session);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }

    // Starts huepick with `args` and waits for its picking window, which
    // must be the only window it shows.
    void startPick(AppRun& run, const QStringList& args) {
        ASSERT_TRUE(run.start(args)) << run.error().toStdString();
        ASSERT_TRUE(pollUntil(
            [&] { return !run.running() || m_session.viewableWindow(kCaptureTitle).has_value(); },
            10000))
            << "no picking window";
        ASSERT_TRUE(run.running()) << "ended early: " << run.stderrText().toStdString();
        EXPECT_TRUE(m_session.x().findNamed(kMainTitle).empty()) << "a main window was made";
    }

    // Waits for the end; the exit status, or -1 when still running.
    static int statusOf(AppRun& run) {
        const ExitInfo exit = run.waitExit(5000);
        EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
        return exit.exited ? exit.code : -1;
    }

    XSession m_session{{.screenSize = {1920, 1080}}};
    PatternBackground m_pattern;
};

TEST_F(PickCommand, PrintsTheClickedPixelInTheAskedFormatAndExits) {
    struct Case {
        QStringList args;
        QPoint at;
        QString printed;
    };
    const QPoint a(1001, 517);
    const QPoint b(1919, 3);
    const QRgb cb = patternAt(b);
    const Case cases[] = {
        {{QStringLiteral("--pick")}, a, hexOf(patternAt(a))},
        {{QStringLiteral("--pick"), QStringLiteral("--format"), QStringLiteral("9")},
         b,
         QStringLiteral(".forecolor = RGB(%1,%2,%3)").arg(qRed(cb)).arg(qGreen(cb)).arg(qBlue(cb))},
    };
    AppRun run(m_session.environment());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        ASSERT_NO_FATAL_FAILURE(startPick(run, c.args));
        ASSERT_TRUE(m_session.clickAt(c.at));
        EXPECT_EQ(statusOf(run), 0) << run.stderrText().toStdString();
        EXPECT_EQ(run.stdoutText(), c.printed + u'\n');
        EXPECT_EQ(run.stderrText(), QString());
    }
    // The settings belong to the window: a pick neither reads nor writes them.
    EXPECT_FALSE(QFile::exists(run.iniPath()));
}

TEST_F(PickCommand, RightClickCancelsWithStatusOneAndPrintsNothing) {
    AppRun run(m_session.environment());
    ASSERT_NO_FATAL_FAILURE(startPick(run, {QStringLiteral("--pick")}));
    ASSERT_TRUE(m_session.clickAt({700, 700}, 3));
    EXPECT_EQ(statusOf(run), 1);
    EXPECT_EQ(run.stdoutText(), QString());
    EXPECT_FALSE(m_session.viewableWindow(kCaptureTitle).has_value());
}

// With no main window to place it by, the lens opens beside the click (here
// turned up and left by the screen's corner), and a click on it picks the
// pixel it shows there.
TEST_F(PickCommand, MagnifyShowsTheLensBesideTheClickAndPicksThroughIt) {
    namespace lens = huepick::lens;
    AppRun run(m_session.environment());
    ASSERT_NO_FATAL_FAILURE(startPick(run, {QStringLiteral("--magnify")}));
    const QPoint first(1800, 1000);
    const int size = lens::deviceSize(1.0);
    const QPoint origin = lens::originNear(first, size, lens::kGap, QRect(0, 0, 1920, 1080));
    const QPoint inside(size / 2 + 9, size / 2 - 13);
    const QRgb shown = patternAt(lens::sourcePixel(first, inside, size));
    ASSERT_NE(shown, patternAt(origin + inside)) << "the lens would not be told from the screen";

    ASSERT_TRUE(m_session.clickAt(first));
    QImage shot;
    EXPECT_TRUE(pollUntil(
        [&] {
            shot = m_session.screenshot();
            return !shot.isNull() && (shot.pixel(origin + inside) & RGB_MASK) == (shown & RGB_MASK);
        },
        3000))
        << "no lens at " << origin.x() << "," << origin.y();
    ASSERT_TRUE(run.running()) << "the first click ended the pick";

    ASSERT_TRUE(m_session.clickAt(origin + inside));
    EXPECT_EQ(statusOf(run), 0) << run.stderrText().toStdString();
    EXPECT_EQ(run.stdoutText(), hexOf(shown) + u'\n');
}

}  // namespace
}  // namespace e2e
