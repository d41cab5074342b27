// SPDX-License-Identifier: MIT
// Without a display the program gives up at once, whichever windowing
// platforms it is told to try: status 1, one line on stderr, never an abort,
// and the settings file untouched.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "harness/app_run.h"
#include "harness/printers.h"
#include "harness/process.h"

namespace e2e {
namespace {

const QByteArray kOrange = "[settings]\nlastcolor=FF8000\n";

// A display number with no server behind it.
QString deadDisplay() {
    for (int n = 990; n > 900; --n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) &&
            !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
            return QStringLiteral(":%1").arg(n);
        }
    }
    return {};
}

QStringList coreFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("core*")}, QDir::Files);
}

struct DisplayCase {
    const char* name;
    // The DISPLAY value; empty: not set at all.
    std::function<QString()> display;
    // QT_QPA_PLATFORM; empty: not set at all.
    QString platform{};
    friend void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }
};

class NoDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(NoDisplay, ExitsWithStatusOneAndOneLineOnStderr) {
    TempDir runtime(QStringLiteral("run"));
    ASSERT_TRUE(runtime.ok());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The test runner's own offscreen platform would let Qt start without X.
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_TYPE"}) {
        env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const QString display = GetParam().display();
    if (!display.isEmpty()) {
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    if (!GetParam().platform.isEmpty()) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), GetParam().platform);
    }

    AppRun app(env, {.ini = kOrange});
    ASSERT_TRUE(app.start()) << app.error().toStdString();
    const ExitInfo exit = app.waitExit(10000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 1);

    const QString err = app.stderrText();
    EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.endsWith(u'\n')) << err.toStdString();
    EXPECT_FALSE(err.trimmed().isEmpty());
    EXPECT_EQ(app.stdoutText(), QString());
    EXPECT_EQ(coreFiles(app.appDir()), QStringList());
    EXPECT_EQ(coreFiles(app.workDir()), QStringList());
    EXPECT_EQ(app.iniText(), kOrange) << "nothing was loaded, so nothing is stored";
}

QString unset() {
    return {};
}

INSTANTIATE_TEST_SUITE_P(X11, NoDisplay,
                         ::testing::Values(DisplayCase{"Unset", unset},
                                           DisplayCase{"DeadServer", [] { return deadDisplay(); }}),
                         [](const ::testing::TestParamInfo<DisplayCase>& info) {
                             return info.param.name;
                         });

// Named platforms are tried as given, in any case, and a list falls through
// to the next; with nothing to reach Qt itself would abort.
INSTANTIATE_TEST_SUITE_P(
    Platforms, NoDisplay,
    ::testing::Values(DisplayCase{"Wayland", unset, QStringLiteral("wayland")},
                      DisplayCase{"WaylandThenXcb", unset, QStringLiteral("wayland;xcb")},
                      DisplayCase{"XcbUpperCase", unset, QStringLiteral("XCB")},
                      DisplayCase{"Xcb", unset, QStringLiteral("xcb")}),
    [](const ::testing::TestParamInfo<DisplayCase>& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
