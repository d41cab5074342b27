// SPDX-License-Identifier: MIT
// Every way the program can be ended from outside stores the colour shown in
// the hexadecimal field, and the program then exits normally.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include "harness/printers.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e {
namespace {

// The file is changed behind the running program's back, so only a write at
// shutdown can bring the shown value back; the other section must survive it.
const QByteArray kChangedWhileRunning = "[settings]\nlastcolor=111111\n[other]\nkeep=1\n";

void expectCleanExit(XAppRun& app, XSession& session) {
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running; its window is "
                             << (app.viewable() ? "shown" : "not shown")
                             << ", the active window is " << session.activeWindow().value_or(0)
                             << ", its own is " << app.window();
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0) << app.stderrText().toStdString();
}

struct WindowManagerClose {
    const char* name;
    std::function<bool(XAppRun&)> close;
    friend void PrintTo(const WindowManagerClose& c, std::ostream* os) { *os << c.name; }
};

class ShutdownByWindowManager : public ::testing::TestWithParam<WindowManagerClose> {};

TEST_P(ShutdownByWindowManager, StoresTheShownTextAndExits) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    // "ABC" shows as "#ABC" and is stored back unchanged, not as the channels.
    XAppRun app(session, {.ini = "[settings]\nlastcolor=ABC\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.writeIni(kChangedWhileRunning));

    ASSERT_TRUE(GetParam().close(app));
    expectCleanExit(app, session);
    EXPECT_EQ(app.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("ABC"));
    EXPECT_EQ(app.iniValue(QStringLiteral("other"), QStringLiteral("keep")), QStringLiteral("1"));
}

TEST_P(ShutdownByWindowManager, CreatesTheSettingsFileWhenThereWasNone) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session);
    ASSERT_TRUE(app.launch()) << app.error().toStdString();

    ASSERT_TRUE(GetParam().close(app));
    expectCleanExit(app, session);
    EXPECT_TRUE(app.iniText().startsWith("[settings]")) << app.iniText().toStdString();
    EXPECT_EQ(app.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("000000"));
}

INSTANTIATE_TEST_SUITE_P(
    Openbox, ShutdownByWindowManager,
    ::testing::Values(
        WindowManagerClose{"AltF4", [](XAppRun& app) { return app.closeWithKeyboard(); }},
        WindowManagerClose{"CloseRequest", [](XAppRun& app) { return app.closeWithRequest(); }}),
    [](const ::testing::TestParamInfo<WindowManagerClose>& info) { return info.param.name; });

struct Signal {
    const char* name;
    int number;
    friend void PrintTo(const Signal& s, std::ostream* os) { *os << s.name; }
};

class ShutdownBySignal : public ::testing::TestWithParam<Signal> {};

TEST_P(ShutdownBySignal, StoresTheShownColourAndExitsWithStatusZero) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.writeIni(kChangedWhileRunning));

    ASSERT_TRUE(app.sendSignal(GetParam().number));
    expectCleanExit(app, session);
    EXPECT_EQ(app.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("FF8000"));
    EXPECT_EQ(app.iniValue(QStringLiteral("other"), QStringLiteral("keep")), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Posix, ShutdownBySignal,
                         ::testing::Values(Signal{"SIGTERM", SIGTERM}, Signal{"SIGHUP", SIGHUP},
                                           Signal{"SIGINT", SIGINT}),
                         [](const ::testing::TestParamInfo<Signal>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace e2e
