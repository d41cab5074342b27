// SPDX-License-Identifier: MIT
// Something other than a regular file where the settings file or the colour
// log belongs: a FIFO (which blocks whoever opens it to read or write it) or
// a link to a character device (which never ends). The program must not
// wait on any of them, says so in one line each time, and leaves them alone.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#include "harness/desk.h"
#include "harness/files.h"
#include "harness/printers.h"

namespace e2e::faults {
namespace {

enum class Kind { Fifo, DeviceLink };

struct SpecialFile {
    const char* name;
    const char* file;  // in the application folder
    Kind kind;
    // Lines on stderr from the start, from one export and from the end.
    int startLines;
    int exportLines;
    int endLines;
    int status;
    friend void PrintTo(const SpecialFile& c, std::ostream* os) { *os << c.name; }
};

bool makeSpecial(const SpecialFile& c, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    return c.kind == Kind::Fifo ? ::mkfifo(name.constData(), 0644) == 0
                                : ::symlink("/dev/zero", name.constData()) == 0;
}

// Still what the test made: the FIFO a FIFO, the link pointing at the device.
void expectUntouched(const SpecialFile& c, const QString& path) {
    struct stat st {};
    if (c.kind == Kind::Fifo) {
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
    } else {
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/zero"));
        ASSERT_EQ(::stat("/dev/zero", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
}

class SpecialFileInPlace : public ::testing::TestWithParam<SpecialFile> {};

TEST_P(SpecialFileInPlace, NothingWaitsOnItAndEachFailureIsOneLine) {
    const SpecialFile& c = GetParam();
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    const bool iniIsSpecial = QByteArray(c.file) == "huepick.ini";
    AppOptions options;
    if (!iniIsSpecial) {
        options.ini = iniWithColour("FF8000");
    }
    XAppRun app(session, options);
    const QString special = app.appFile(QLatin1String(c.file));
    ASSERT_TRUE(makeSpecial(c, special));

    // A program that waited on the file would never show its window.
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    EXPECT_EQ(app.copyField(Role::HexField,
                            iniIsSpecial ? QStringLiteral("#000000") : QStringLiteral("#FF8000")),
              iniIsSpecial ? QStringLiteral("#000000") : QStringLiteral("#FF8000"));
    EXPECT_EQ(app.waitStderrLines(c.startLines).size(), c.startLines)
        << app.stderrText().toStdString();

    ASSERT_TRUE(app.click(Role::ExportButton));
    if (c.exportLines == 0) {
        EXPECT_TRUE(pollUntil(
            [&] { return readFile(app.appFile(QStringLiteral("huepick.html"))).has_value(); },
            3000));
    }
    // The export was handled and the program still answers.
    EXPECT_TRUE(app.sync());
    EXPECT_EQ(app.waitStderrLines(c.startLines + c.exportLines).size(),
              c.startLines + c.exportLines)
        << app.stderrText().toStdString();

    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick hangs at the end";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, c.status);
    const QStringList lines = app.stderrText().split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), c.startLines + c.exportLines + c.endLines)
        << app.stderrText().toStdString();
    for (const QString& line : lines) {
        EXPECT_TRUE(line.contains(QLatin1String(c.file))) << line.toStdString();
    }
    ASSERT_NO_FATAL_FAILURE(expectUntouched(c, special));

    // A signal ends it promptly too, whatever it has to store.
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.sendSignal(SIGTERM));
    const ExitInfo ended = app.waitExit(1000);
    ASSERT_TRUE(ended.exited) << "still running a second after SIGTERM";
    EXPECT_FALSE(ended.crashed) << "killed by signal " << ended.code;
    EXPECT_EQ(ended.code, c.status);
    ASSERT_NO_FATAL_FAILURE(expectUntouched(c, special));
}

INSTANTIATE_TEST_SUITE_P(
    Files, SpecialFileInPlace,
    ::testing::Values(SpecialFile{"SettingsFifo", "huepick.ini", Kind::Fifo, 1, 0, 1, 1},
                      SpecialFile{"LogFifo", "huepick.html", Kind::Fifo, 0, 1, 0, 0},
                      SpecialFile{"SettingsLinkToDevZero", "huepick.ini", Kind::DeviceLink, 1, 0, 1,
                                  1}),
    [](const ::testing::TestParamInfo<SpecialFile>& info) { return info.param.name; });

}  // namespace
}  // namespace e2e::faults
