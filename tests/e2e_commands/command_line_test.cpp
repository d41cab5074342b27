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
QProcessEnvironment without_display(const TempDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    return env;
}

ToolResult run_huepick(const QStringList& args, const QProcessEnvironment& env) {
    return runTool(huepickBinary(), args, env, 10000);
}

TEST(CommandLine, HelpAndVersionGoToStdoutWithOrWithoutADisplay) {
    TempDir runtime(QStringLiteral("run"));
    ASSERT_TRUE(runtime.ok());
    XSession session({.windowManager = false});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const QRegularExpression version(QStringLiteral("^huepick \\d+\\.\\d+(\\.\\d+)?\\n$"));

    for (const auto& [place, env] : {std::pair{"no display", without_display(runtime)},
                                     std::pair{"a display", session.environment()}}) {
        SCOPED_TRACE(place);
        for (const char* option : {"--help", "-h"}) {
            const ToolResult r = run_huepick({QLatin1String(option)}, env);
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
            const ToolResult r = run_huepick({QLatin1String(option)}, env);
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
    const QProcessEnvironment env = without_display(runtime);
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
        const ToolResult r = run_huepick(args, env);
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
        ASSERT_TRUE(session_.ok()) << session_.error().toStdString();
        const QString why = pattern_.show(session_);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }

    // Starts huepick with `args` and waits for its picking window, which
    // must be the only window it shows.
    void start_pick(AppRun& run, const QStringList& args) {
        ASSERT_TRUE(run.start(args)) << run.error().toStdString();
        ASSERT_TRUE(pollUntil(
            [&] { return !run.running() || session_.viewableWindow(kCaptureTitle).has_value(); },
            10000))
            << "no picking window";
        ASSERT_TRUE(run.running()) << "ended early: " << run.stderrText().toStdString();
        EXPECT_TRUE(session_.x().findNamed(kMainTitle).empty()) << "a main window was made";
    }

    // Waits for the end; the exit status, or -1 when still running.
    static int status_of(AppRun& run) {
        const ExitInfo exit = run.waitExit(5000);
        EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
        return exit.exited ? exit.code : -1;
    }

    XSession session_{{.screenSize = {1920, 1080}}};
    PatternBackground pattern_;
};

TEST_F(PickCommand, PrintsTheClickedPixelInTheAskedFormatAndExits) {
    struct Case {
        QStringList args;
        QPoint at;
        QString printed;
    };
    const QPoint a(1001, 517);
    const QPoint b(1919, 3);
    const QRgb cb = pattern_at(b);
    const Case cases[] = {
        {{QStringLiteral("--pick")}, a, hex_of(pattern_at(a))},
        {{QStringLiteral("--pick"), QStringLiteral("--format"), QStringLiteral("9")},
         b,
         QStringLiteral(".forecolor = RGB(%1,%2,%3)").arg(qRed(cb)).arg(qGreen(cb)).arg(qBlue(cb))},
    };
    AppRun run(session_.environment());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        ASSERT_NO_FATAL_FAILURE(start_pick(run, c.args));
        ASSERT_TRUE(session_.clickAt(c.at));
        EXPECT_EQ(status_of(run), 0) << run.stderrText().toStdString();
        EXPECT_EQ(run.stdoutText(), c.printed + u'\n');
        EXPECT_EQ(run.stderrText(), QString());
    }
    // The settings belong to the window: a pick neither reads nor writes them.
    EXPECT_FALSE(QFile::exists(run.iniPath()));
}

TEST_F(PickCommand, RightClickCancelsWithStatusOneAndPrintsNothing) {
    AppRun run(session_.environment());
    ASSERT_NO_FATAL_FAILURE(start_pick(run, {QStringLiteral("--pick")}));
    ASSERT_TRUE(session_.clickAt({700, 700}, 3));
    EXPECT_EQ(status_of(run), 1);
    EXPECT_EQ(run.stdoutText(), QString());
    EXPECT_FALSE(session_.viewableWindow(kCaptureTitle).has_value());
}

// With no main window to place it by, the lens opens beside the click (here
// turned up and left by the screen's corner), and a click on it picks the
// pixel it shows there.
TEST_F(PickCommand, MagnifyShowsTheLensBesideTheClickAndPicksThroughIt) {
    namespace lens = huepick::lens;
    AppRun run(session_.environment());
    ASSERT_NO_FATAL_FAILURE(start_pick(run, {QStringLiteral("--magnify")}));
    const QPoint first(1800, 1000);
    const int size = lens::deviceSize(1.0);
    const QPoint origin = lens::originNear(first, size, lens::kGap, QRect(0, 0, 1920, 1080));
    const QPoint inside(size / 2 + 9, size / 2 - 13);
    const QRgb shown = pattern_at(lens::sourcePixel(first, inside, size));
    ASSERT_NE(shown, pattern_at(origin + inside)) << "the lens would not be told from the screen";

    ASSERT_TRUE(session_.clickAt(first));
    QImage shot;
    EXPECT_TRUE(pollUntil(
        [&] {
            shot = session_.screenshot();
            return !shot.isNull() && (shot.pixel(origin + inside) & RGB_MASK) == (shown & RGB_MASK);
        },
        3000))
        << "no lens at " << origin.x() << "," << origin.y();
    ASSERT_TRUE(run.running()) << "the first click ended the pick";

    ASSERT_TRUE(session_.clickAt(origin + inside));
    EXPECT_EQ(status_of(run), 0) << run.stderrText().toStdString();
    EXPECT_EQ(run.stdoutText(), hex_of(shown) + u'\n');
}

}  // namespace
}  // namespace e2e
