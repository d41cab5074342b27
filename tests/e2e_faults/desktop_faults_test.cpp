// SPDX-License-Identifier: MIT
// The desktop around the program misbehaves: another client holds the
// clipboard, no notification area runs or it goes away, or the X server goes
// away under the running program. None of it may crash the program or lose the colour.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <csignal>

#include "harness/files.h"
#include "harness/printers.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e::faults {
namespace {

const QString kSettings = QStringLiteral("settings");
const QString kLastColor = QStringLiteral("lastcolor");

QStringList coreFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("core*")}, QDir::Files);
}

// ---------------------------------------------------------------- clipboard

// xclip owns the clipboard from before the start: still serving it, or
// stopped so that it answers nothing at all.
class ClipboardOwnedElsewhere : public ::testing::TestWithParam<bool> {};

TEST_P(ClipboardOwnedElsewhere, FunctionKeyTakesItOver) {
    const bool frozen = GetParam();
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    TempDir scratch(QStringLiteral("clip"));
    ASSERT_TRUE(writeFile(scratch.file(QStringLiteral("text")), "someone else's text"));
    QProcess owner;
    owner.setProcessEnvironment(session.environment());
    owner.setStandardInputFile(scratch.file(QStringLiteral("text")));
    dieWithParent(owner, SIGKILL);
    // -quiet keeps it in the foreground, so it can be ended by its own PID.
    owner.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                          QStringLiteral("clipboard"), QStringLiteral("-i")});
    ASSERT_TRUE(owner.waitForStarted(5000));
    ASSERT_EQ(session.waitClipboard(QStringLiteral("someone else's text")),
              QStringLiteral("someone else's text"));
    const auto ownerPid = static_cast<pid_t>(owner.processId());
    if (frozen) {
        ASSERT_EQ(::kill(ownerPid, SIGSTOP), 0);
    }

    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    // No sentinel here: the clipboard must stay with the other owner until
    // the key takes it.
    ASSERT_TRUE(app.focus());
    ASSERT_TRUE(app.pointAt(Role::HexField));
    ASSERT_TRUE(session.key(QStringLiteral("F1")));
    EXPECT_EQ(session.waitClipboard(QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));

    // The earlier owner was told it lost the selection, which ends xclip.
    if (frozen) {
        ::kill(ownerPid, SIGCONT);
    }
    EXPECT_TRUE(owner.waitForFinished(3000)) << "xclip still thinks it owns the clipboard";
    stopProcess(owner);

    ASSERT_TRUE(app.sendSignal(SIGTERM));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(app.stderrText(), QString());
}

INSTANTIATE_TEST_SUITE_P(Xclip, ClipboardOwnedElsewhere, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Stopped" : "Serving";
                         });

// ---------------------------------------------------------------- no tray

// Without a notification area a hidden window could never come back, so the
// right-click on the background minimises it, and the desktop restores it.
TEST(NoTrayHost, RightClickMinimisesAndTheColourIsStored) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    ASSERT_EQ(session.x().selectionOwner("_NET_SYSTEM_TRAY_S0"), 0u);
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    const std::optional<QRect> where = app.geometry();
    ASSERT_TRUE(where.has_value());
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));

    const std::optional<QPoint> background = app.background();
    ASSERT_TRUE(background.has_value());
    ASSERT_TRUE(app.click(*background, 3));
    ASSERT_TRUE(app.waitViewable(false)) << "the right click did not put the window away";
    EXPECT_TRUE(app.running());

    // What a task bar does with a minimised window.
    ASSERT_TRUE(session.activate(app.window())) << "the window cannot be brought back";
    ASSERT_TRUE(app.waitViewable(true));
    EXPECT_EQ(app.geometry(), where);

    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(app.iniValue(kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_EQ(app.stderrText(), QString());
}

// A window hidden to the tray would be lost with the tray: it comes back.
TEST(TrayHostGoesAway, HiddenWindowIsShownAgain) {
    XSession session({.tray = true});
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(pollUntil([&] { return session.trayIcon().has_value(); }, 5000))
        << "no huepick icon in the tray";
    const std::optional<QPoint> background = app.background();
    ASSERT_TRUE(background.has_value());
    ASSERT_TRUE(app.click(*background, 3));
    ASSERT_TRUE(app.waitViewable(false)) << "the right click did not hide the window";

    ASSERT_TRUE(session.endTray(SIGKILL));
    EXPECT_TRUE(app.waitViewable(true, 5000)) << "the window stayed hidden with no tray left";
    EXPECT_TRUE(app.running());
    EXPECT_EQ(app.copyField(Role::HexField, QStringLiteral("#FF8000")), QStringLiteral("#FF8000"));
    EXPECT_EQ(app.stderrText(), QString());
}

// ---------------------------------------------------------------- display gone

struct DisplayLoss {
    const char* name;
    int signal;
    bool stepping;  // a step button held, so the program is in its step loop
    friend void PrintTo(const DisplayLoss& c, std::ostream* os) { *os << c.name; }
};

class DisplayGoesAway : public ::testing::TestWithParam<DisplayLoss> {};

TEST_P(DisplayGoesAway, ProgramExitsWithoutCrashingAndStoresTheColour) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    const std::optional<QRect> where = app.geometry();
    ASSERT_TRUE(where.has_value());
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));

    if (GetParam().stepping) {
        // Wait until the green field shows a stepped value; its inside,
        // without the frame's edge, holds the digits.
        const QRect field = huepick::layout::windowRect(Role::GreenField)
                                .adjusted(2, 2, -2, -2)
                                .translated(where->topLeft());
        const QImage before = session.screenshot().copy(field);
        ASSERT_FALSE(before.isNull());
        ASSERT_TRUE(app.pointAt(Role::GreenUp));
        ASSERT_TRUE(session.mouseDown(1));
        ASSERT_TRUE(pollUntil([&] { return session.screenshot().copy(field) != before; }, 5000, 50))
            << "holding the green step button changed nothing";
    }
    ASSERT_TRUE(session.endServer(GetParam().signal));

    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running without its display";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(coreFiles(app.appDir()), QStringList());
    EXPECT_EQ(coreFiles(app.workDir()), QStringList());

    const std::optional<QString> stored = app.iniValue(kSettings, kLastColor);
    ASSERT_TRUE(stored.has_value()) << app.iniText().toStdString();
    if (GetParam().stepping) {
        ASSERT_EQ(stored->size(), 6) << stored->toStdString();
        EXPECT_TRUE(stored->startsWith(QStringLiteral("12")) &&
                    stored->endsWith(QStringLiteral("34")))
            << stored->toStdString();
        EXPECT_GT(stored->mid(2, 2).toInt(nullptr, 16), 0xAB) << stored->toStdString();
    } else {
        EXPECT_EQ(*stored, QStringLiteral("12AB34"));
    }
}

INSTANTIATE_TEST_SUITE_P(Xvfb, DisplayGoesAway,
                         ::testing::Values(DisplayLoss{"ServerTerminated", SIGTERM, false},
                                           DisplayLoss{"ServerKilled", SIGKILL, false},
                                           DisplayLoss{"ServerKilledWhileStepping", SIGKILL, true}),
                         [](const ::testing::TestParamInfo<DisplayLoss>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace e2e::faults
