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

// The lines printed so far, waiting up to 3 s for at least `at_least`.
QStringList wait_stderr_lines(const std::function<QString()>& text, int at_least) {
    QStringList lines;
    poll_until(
        [&] {
            // The program's output reaches its QProcess through the event loop.
            QCoreApplication::processEvents();
            lines = text().split(u'\n', Qt::SkipEmptyParts);
            return lines.size() >= at_least;
        },
        3000);
    return lines;
}

TEST(UnwritableColourLog, DirectoryInItsPlaceGivesOneLinePerExport) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    const QString log = app.app_dir() + QStringLiteral("/huepick.html");
    ASSERT_TRUE(QDir().mkdir(log));
    ASSERT_TRUE(write_file(log + QStringLiteral("/keep"), kEarlierRecord));
    ASSERT_TRUE(app.launch()) << app.error().toStdString();

    ASSERT_TRUE(app.click(Role::ExportButton));
    QStringList lines = wait_stderr_lines([&] { return app.stderr_text(); }, 1);
    ASSERT_EQ(lines.size(), 1) << app.stderr_text().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("huepick.html"))) << lines[0].toStdString();
    ASSERT_TRUE(app.click(Role::ExportButton));
    lines = wait_stderr_lines([&] { return app.stderr_text(); }, 2);
    EXPECT_EQ(lines.size(), 2) << app.stderr_text().toStdString();

    // Still working: the colour can be changed, and is stored at the end.
    ASSERT_TRUE(app.enter_hex(QStringLiteral("#12AB34")));
    EXPECT_EQ(app.copy_field(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.wait_exit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(app.ini_value(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("12AB34"));
    EXPECT_TRUE(QFileInfo(log).isDir());
    EXPECT_EQ(QDir(log).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("keep")});
    EXPECT_EQ(read_file(log + QStringLiteral("/keep")), kEarlierRecord);
}

// The user may write the application folder but not the log in it.
TEST(UnwritableColourLog, ReadOnlyLogKeepsItsRecords) {
    if (const std::optional<QString> why = unprivileged_user_unavailable()) {
        GTEST_SKIP() << why->toStdString();
    }
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun install(session, {.ini = "[settings]\nlastcolor=FF8000\n",
                              .unprivileged = true,
                              .read_only_log = kEarlierRecord});
    ASSERT_TRUE(install.launch()) << install.error().toStdString();

    ASSERT_TRUE(install.click(Role::ExportButton));
    const QStringList lines = wait_stderr_lines([&] { return install.stderr_text(); }, 1);
    ASSERT_EQ(lines.size(), 1) << install.stderr_text().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("huepick.html"))) << lines[0].toStdString();
    ASSERT_TRUE(install.enter_hex(QStringLiteral("#12AB34")));
    EXPECT_EQ(install.copy_field(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));

    ASSERT_TRUE(install.click(Role::CloseButton));
    const ExitInfo exit = install.wait_exit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(read_file(install.app_file(QStringLiteral("huepick.html"))), kEarlierRecord);
    // A writable folder is the portable case: the settings stay beside the
    // program, and nothing moves to the user's folders.
    EXPECT_EQ(ini_value(install.app_file(QStringLiteral("huepick.ini")), QStringLiteral("settings"),
                        QStringLiteral("lastcolor")),
              QStringLiteral("12AB34"));
    EXPECT_FALSE(QFileInfo::exists(install.user_log()));
    EXPECT_EQ(install.stderr_text().count(u'\n'), 1) << install.stderr_text().toStdString();
}

}  // namespace
}  // namespace e2e::faults
