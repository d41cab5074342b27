// SPDX-License-Identifier: MIT
// An export to a colour log that cannot be appended to says so in one line
// on stderr and changes nothing; the program goes on working.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <functional>

#include "harness/files.h"
#include "harness/printers.h"
#include "harness/unprivileged_user.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e::faults {
namespace {

const QByteArray kEarlierRecord =
    "\"<FONT FACE=arial SIZE=3 COLOR=#ABCDEF><B>#ABCDEF</B>&nbsp;&nbsp;&nbsp;&nbsp;"
    "<FONT COLOR=#FFFFFF>\"\r\n\r\n";

// The lines printed so far, waiting up to 3 s for at least `atLeast`.
QStringList waitStderrLines(const std::function<QString()>& text, int atLeast) {
    QStringList lines;
    pollUntil(
        [&] {
            // The program's output reaches its QProcess through the event loop.
            QCoreApplication::processEvents();
            lines = text().split(u'\n', Qt::SkipEmptyParts);
            return lines.size() >= atLeast;
        },
        3000);
    return lines;
}

TEST(UnwritableColourLog, DirectoryInItsPlaceGivesOneLinePerExport) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    const QString log = app.appDir() + QStringLiteral("/huepick.html");
    ASSERT_TRUE(QDir().mkdir(log));
    ASSERT_TRUE(writeFile(log + QStringLiteral("/keep"), kEarlierRecord));
    ASSERT_TRUE(app.launch()) << app.error().toStdString();

    ASSERT_TRUE(app.click(Role::ExportButton));
    QStringList lines = waitStderrLines([&] { return app.stderrText(); }, 1);
    ASSERT_EQ(lines.size(), 1) << app.stderrText().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("huepick.html"))) << lines[0].toStdString();
    ASSERT_TRUE(app.click(Role::ExportButton));
    lines = waitStderrLines([&] { return app.stderrText(); }, 2);
    EXPECT_EQ(lines.size(), 2) << app.stderrText().toStdString();

    // Still working: the colour can be changed, and is stored at the end.
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    EXPECT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(app.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("12AB34"));
    EXPECT_TRUE(QFileInfo(log).isDir());
    EXPECT_EQ(QDir(log).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("keep")});
    EXPECT_EQ(readFile(log + QStringLiteral("/keep")), kEarlierRecord);
}

// The user may write the application folder but not the log in it.
TEST(UnwritableColourLog, ReadOnlyLogKeepsItsRecords) {
    if (const std::optional<QString> why = unprivilegedUserUnavailable()) {
        GTEST_SKIP() << why->toStdString();
    }
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun install(session, {.ini = "[settings]\nlastcolor=FF8000\n",
                              .unprivileged = true,
                              .readOnlyLog = kEarlierRecord});
    ASSERT_TRUE(install.launch()) << install.error().toStdString();

    ASSERT_TRUE(install.click(Role::ExportButton));
    const QStringList lines = waitStderrLines([&] { return install.stderrText(); }, 1);
    ASSERT_EQ(lines.size(), 1) << install.stderrText().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("huepick.html"))) << lines[0].toStdString();
    ASSERT_TRUE(install.enterHex(QStringLiteral("#12AB34")));
    EXPECT_EQ(install.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));

    ASSERT_TRUE(install.click(Role::CloseButton));
    const ExitInfo exit = install.waitExit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(readFile(install.appFile(QStringLiteral("huepick.html"))), kEarlierRecord);
    // A writable folder is the portable case: the settings stay beside the
    // program, and nothing moves to the user's folders.
    EXPECT_EQ(iniValue(install.appFile(QStringLiteral("huepick.ini")), QStringLiteral("settings"),
                       QStringLiteral("lastcolor")),
              QStringLiteral("12AB34"));
    EXPECT_FALSE(QFileInfo::exists(install.userLog()));
    EXPECT_EQ(install.stderrText().count(u'\n'), 1) << install.stderrText().toStdString();
}

}  // namespace
}  // namespace e2e::faults
