// SPDX-License-Identifier: MIT
// One running huepick per user and display: a later start hands its request
// to the running one (show the window, or pick through it) and exits, and a
// socket left by a killed instance does not get in the way.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <csignal>

#include "e2e_commands/pattern_background.h"
#include "harness/desk.h"
#include "harness/printers.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).open()) << (desk).error().toStdString()

const QString kSettings = QStringLiteral("settings");
const QString kLastColor = QStringLiteral("lastcolor");

int viewableMainWindows(XSession& session) {
    int count = 0;
    for (XWindow w : session.x().findNamed(kMainTitle)) {
        count += session.x().viewable(w);
    }
    return count;
}

QStringList instanceSockets(const QString& runtimeDir) {
    return QDir(runtimeDir).entryList({QStringLiteral("huepick-*.socket")}, QDir::System);
}

void expectExit(AppRun& app, int code) {
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, code) << app.stderrText().toStdString();
}

TEST(OneInstance, SecondStartShowsTheHiddenWindowAndExits) {
    Desk desk({.tray = true}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(pollUntil([&] { return desk.session().trayIcon().has_value(); }, 5000))
        << "no huepick icon in the tray";
    ASSERT_TRUE(desk.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(desk.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(desk.click(*desk.background(), 3));
    ASSERT_TRUE(desk.waitViewable(false)) << "the right click did not hide the window";

    QElapsedTimer clock;
    clock.start();
    const ToolResult second =
        runTool(desk.appFile(QStringLiteral("huepick")), {}, desk.session().environment(), 10000);
    const qint64 tookMs = clock.elapsed();
    EXPECT_TRUE(second.ok()) << second.describe().toStdString();
    EXPECT_LT(tookMs, 3000) << "the second start took " << tookMs << " ms to hand over";
    EXPECT_EQ(second.text() + second.err, QString());

    EXPECT_TRUE(desk.waitViewable(true)) << "the running window was not brought back";
    EXPECT_EQ(viewableMainWindows(desk.session()), 1);
    EXPECT_EQ(desk.copyField(Role::HexField, QStringLiteral("#12AB34")), QStringLiteral("#12AB34"));
    // Only the running program writes the settings, and only at its end.
    EXPECT_EQ(desk.iniValue(kSettings, kLastColor), QStringLiteral("FF8000"));

    ASSERT_TRUE(desk.click(Role::CloseButton));
    ASSERT_NO_FATAL_FAILURE(expectExit(desk, 0));
    EXPECT_EQ(desk.iniValue(kSettings, kLastColor), QStringLiteral("12AB34"));
}

TEST(OneInstance, SecondPickPicksThroughTheRunningWindowAndPrintsTheColour) {
    Desk desk({.screenSize = {1920, 1080}}, {.ini = iniWithColour("123456")});
    PatternBackground pattern;
    const QString why = pattern.show(desk.session());
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    START(desk);

    AppRun second(desk.session().environment(), {.copyHelp = false});
    ASSERT_TRUE(second.start({QStringLiteral("--pick")})) << second.error().toStdString();
    std::optional<XWindow> capture;
    ASSERT_TRUE(pollUntil(
        [&] {
            return (capture = desk.session().viewableWindow(QStringLiteral("captureme")))
                .has_value();
        },
        10000))
        << "no picking window; the second printed: " << second.stderrText().toStdString();
    const auto owner = desk.session().x().cardinals(*capture, "_NET_WM_PID");
    ASSERT_TRUE(owner && !owner->empty());
    EXPECT_EQ(owner->front(), desk.pid()) << "the picking window is not the running program's";

    // Away from the main window, which the frozen copy shows too.
    const QPoint p(100, 900);
    ASSERT_TRUE(desk.session().clickAt(p));
    ASSERT_NO_FATAL_FAILURE(expectExit(second, 0));
    EXPECT_EQ(second.stdoutText(), hexOf(patternAt(p)) + u'\n');
    EXPECT_EQ(desk.copyField(Role::HexField, hexOf(patternAt(p))), hexOf(patternAt(p)));
    EXPECT_EQ(viewableMainWindows(desk.session()), 1);
    EXPECT_FALSE(QFile::exists(second.iniPath())) << "the second process stored a colour";
}

TEST(OneInstance, SocketLeftByAKilledInstanceDoesNotStopTheNextStart) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    const QString runtime = desk.session().runtimeDir();
    ASSERT_EQ(instanceSockets(runtime).size(), 1)
        << "no instance socket in " << runtime.toStdString();
    ASSERT_TRUE(desk.sendSignal(SIGKILL));
    ASSERT_TRUE(desk.waitExit().exited);
    // Until the server has let go of the dead program's window, the screen
    // still shows it, and the next window could not be told from it.
    ASSERT_TRUE(desk.waitViewable(false));
    ASSERT_EQ(instanceSockets(runtime).size(), 1) << "nothing left behind to test with";

    ASSERT_TRUE(desk.launch()) << desk.error().toStdString();
    EXPECT_EQ(desk.stderrText(), QString());
    // The new instance answers on the socket: a further start hands over.
    const ToolResult third =
        runTool(desk.appFile(QStringLiteral("huepick")), {}, desk.session().environment(), 10000);
    EXPECT_TRUE(third.ok()) << third.describe().toStdString();
    EXPECT_EQ(viewableMainWindows(desk.session()), 1);
    EXPECT_TRUE(desk.running());
}

}  // namespace
}  // namespace e2e
