// SPDX-License-Identifier: MIT
// A settings file in an unusual shape, one the program cannot use, or a
// folder it may not write: the program still starts and works, a colour
// stored before is never lost, and a file it refused is left as it was (the
// colour then cannot be stored, which ends the program with status 1).
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <vector>

#include "harness/files.h"
#include "harness/printers.h"
#include "harness/unprivileged_user.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e::faults {
namespace {

const QString kSettings = QStringLiteral("settings");
const QString kLastColor = QStringLiteral("lastcolor");

void expect_exit(AppRun& app, int code) {
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, code) << app.stderrText().toStdString();
}

void expect_clean_exit(AppRun& app) {
    expect_exit(app, 0);
}

// Starts the program, sets a colour through the hexadecimal field, checks
// that the colour took, and closes with the close button.
void set_colour_and_close(XAppRun& app) {
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);
}

// A file the program refused at the start: one line then, the window starts
// from the defaults, and the colour cannot be stored at the end (one more
// line, status 1).
void expect_refused_and_not_stored(XAppRun& app) {
    const QStringList at_start = app.waitStderrLines(1);
    ASSERT_EQ(at_start.size(), 1) << app.stderrText().toStdString();
    EXPECT_TRUE(at_start[0].contains(QStringLiteral("huepick.ini"))) << at_start[0].toStdString();
    EXPECT_EQ(app.copyField(Role::HexField, QStringLiteral("#000000")), QStringLiteral("#000000"));
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    EXPECT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    ASSERT_NO_FATAL_FAILURE(expect_exit(app, 1));
    const QStringList lines = app.stderrText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << app.stderrText().toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("store")) &&
                lines[1].contains(QStringLiteral("huepick.ini")))
        << lines[1].toStdString();
}

TEST(BrokenSettingsFile, DirectoryInItsPlaceStartsBlackAndIsLeftAlone) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session);
    ASSERT_TRUE(QDir().mkdir(app.iniPath()));
    const QString inside = app.iniPath() + QStringLiteral("/keep");
    ASSERT_TRUE(writeFile(inside, "someone else's\n"));

    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_NO_FATAL_FAILURE(expect_refused_and_not_stored(app));

    EXPECT_TRUE(QFileInfo(app.iniPath()).isDir());
    EXPECT_EQ(QDir(app.iniPath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("keep")});
    EXPECT_EQ(readFile(inside), QByteArray("someone else's\n"));
}

TEST(BrokenSettingsFile, BinaryGarbageIsKeptAndTheColourAddedToIt) {
    QByteArray garbage(64 * 1024, '\0');
    QRandomGenerator random(20261208);
    for (char& c : garbage) {
        c = static_cast<char>(random.bounded(256));
    }
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = garbage});

    ASSERT_NO_FATAL_FAILURE(set_colour_and_close(app));

    const QByteArray after = app.iniText();
    EXPECT_TRUE(after.startsWith(garbage)) << "the bytes the program does not own were changed";
    EXPECT_EQ(app.iniValue(kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_EQ(app.stderrText(), QString());
}

// ---------------------------------------------------------------- shapes of the file

struct FileShape {
    const char* name;
    QByteArray before;
    friend void PrintTo(const FileShape& c, std::ostream* os) { *os << c.name; }
};

class SettingsFileShape : public ::testing::TestWithParam<FileShape> {};

// A byte-order mark or the line ends of another system: the colour is found
// in its section, and the store changes its value and nothing else.
TEST_P(SettingsFileShape, ColourIsReadAndStoredInPlaceKeepingTheFilesShape) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = GetParam().before});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    EXPECT_EQ(app.copyField(Role::HexField, QStringLiteral("#FF8000")), QStringLiteral("#FF8000"));
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);

    QByteArray expected = GetParam().before;
    expected.replace("lastcolor=FF8000", "lastcolor=12AB34");
    EXPECT_EQ(app.iniText(), expected);
    EXPECT_EQ(app.stderrText(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SettingsFileShape,
    ::testing::Values(FileShape{"ByteOrderMark",
                                "\xEF\xBB\xBF[settings]\nlastcolor=FF8000\n[other]\nkeep=1\n"},
                      FileShape{"CarriageReturnsOnly",
                                "[other]\rkeep=1\r[settings]\rlastcolor=FF8000\r\r; end\r"}),
    [](const ::testing::TestParamInfo<FileShape>& info) { return info.param.name; });

// ---------------------------------------------------------------- size

struct LongLine {
    const char* name;
    QByteArray ini;
    Role field;         // a field whose text shows that the line was read
    QString shown;      // its text
    QByteArray stored;  // the whole file after the shutdown
    friend void PrintTo(const LongLine& c, std::ostream* os) { *os << c.name; }
};

class LongSettingsLine : public ::testing::TestWithParam<LongLine> {};

// A long line in a file well under the size limit is read like any other.
TEST_P(LongSettingsLine, IsReadAndTheColourKept) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = GetParam().ini});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    EXPECT_EQ(app.copyField(GetParam().field, GetParam().shown), GetParam().shown);
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);
    EXPECT_TRUE(app.iniText() == GetParam().stored)
        << app.iniText().size() << " bytes stored: " << app.iniText().left(80).toStdString();
    EXPECT_EQ(app.stderrText(), QString());
}

const QByteArray kHundredKilobytes(100 * 1024, 'x');

INSTANTIATE_TEST_SUITE_P(
    HundredKilobytes, LongSettingsLine,
    ::testing::Values(
        // Another key's line: the colour is read, and the file stays as it
        // was, byte for byte.
        LongLine{"OtherKey", "[settings]\nlastcolor=FF8000\nnotes=" + kHundredKilobytes + "\n",
                 Role::GreenField, QStringLiteral("128"),
                 "[settings]\nlastcolor=FF8000\nnotes=" + kHundredKilobytes + "\n"},
        // The colour's own line, read to its end: blue comes from its last
        // two characters. The shutdown stores the shown text's first six.
        LongLine{"ColourValue", "[settings]\nlastcolor=FF8000" + kHundredKilobytes + "C0\n",
                 Role::BlueField, QStringLiteral("192"), "[settings]\nlastcolor=FF8000\n"}),
    [](const ::testing::TestParamInfo<LongLine>& info) { return info.param.name; });

// Starts the program; how long it took from exec to a viewable window, in ms.
std::optional<double> start_timed(XAppRun& app) {
    if (!app.start() || !app.waitForWindow()) {
        return std::nullopt;
    }
    return static_cast<double>(app.nsSinceLaunch()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Over the size limit a file is no settings file of ours: it is not read
// through, so it costs the start next to nothing, and it is never rewritten.
// Runs without it, taken in turn, set the pace, as load from other work varies.
TEST(OversizedSettingsFile, FiftyMegabytesAreLeftAloneAndCostNoStartUpTime) {
    const QByteArray huge = "[settings]\nlastcolor=FF8000\n" + QByteArray(50 * 1024 * 1024, '\n');
    const QByteArray hash = QCryptographicHash::hash(huge, QCryptographicHash::Sha256);
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun plain(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    XAppRun app(session, {.ini = huge});

    constexpr int kRuns = 3;
    std::vector<double> plain_ms;
    std::vector<double> huge_ms;
    for (int run = 0; run < kRuns; ++run) {
        const std::optional<double> p = start_timed(plain);
        ASSERT_TRUE(p.has_value()) << plain.error().toStdString();
        plain_ms.push_back(*p);
        ASSERT_TRUE(plain.sendSignal(SIGTERM));
        ASSERT_NO_FATAL_FAILURE(expect_exit(plain, 0));

        const std::optional<double> h = start_timed(app);
        ASSERT_TRUE(h.has_value()) << app.error().toStdString();
        huge_ms.push_back(*h);
        if (run + 1 < kRuns) {
            ASSERT_TRUE(app.sendSignal(SIGTERM));
            ASSERT_NO_FATAL_FAILURE(expect_exit(app, 1));
        }
    }
    const double plain_median = median(plain_ms);
    const double huge_median = median(huge_ms);
    std::cout << "start-up median of " << kRuns << " runs: " << plain_median
              << " ms with a normal settings file, " << huge_median << " ms with 50 MB\n";
    RecordProperty("startup_plain_median_ms", QString::number(plain_median, 'f', 0).toStdString());
    RecordProperty("startup_50mb_median_ms", QString::number(huge_median, 'f', 0).toStdString());
    EXPECT_LT(huge_median - plain_median, 1000.0);

    // The last run goes on: black, as if there were no file, and nothing stored.
    ASSERT_NO_FATAL_FAILURE(expect_refused_and_not_stored(app));
    const QByteArray after = app.iniText();
    EXPECT_EQ(after.size(), huge.size());
    EXPECT_TRUE(QCryptographicHash::hash(after, QCryptographicHash::Sha256) == hash)
        << "the file was changed";
}

// ---------------------------------------------------------------- read-only install

class ReadOnlyInstall : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::optional<QString> why = unprivilegedUserUnavailable()) {
            GTEST_SKIP() << why->toStdString();
        }
        ASSERT_TRUE(session_.ok()) << session_.error().toStdString();
    }

    static constexpr char kInstalledIni[] = "[settings]\nlastcolor=ABCDEF\n";
    XSession session_;
    XAppRun install_{
        session_,
        {.ini = QByteArray(kInstalledIni), .unprivileged = true, .folderWritable = false}};
};

// The per-user files take over for reading as well as writing, decided once
// at start-up; the installed file is neither read nor touched.
TEST_F(ReadOnlyInstall, KeepsColourAndLogInTheUsersFoldersAcrossRuns) {
    ASSERT_TRUE(install_.launch()) << install_.error().toStdString();
    EXPECT_EQ(install_.copyField(Role::HexField, QStringLiteral("#000000")),
              QStringLiteral("#000000"));
    ASSERT_TRUE(install_.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(install_.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(install_.click(Role::ExportButton));
    ASSERT_TRUE(pollUntil([&] { return readFile(install_.userLog()).has_value(); }, 3000))
        << "no log in the user's data folder; stderr: " << install_.stderrText().toStdString();
    ASSERT_TRUE(install_.click(Role::CloseButton));
    ExitInfo exit = install_.waitExit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(install_.stderrText(), QString());
    EXPECT_EQ(iniValue(install_.userIni(), kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_TRUE(readFile(install_.userLog())->contains("COLOR=#12AB34><B>#12AB34</B>"));

    // The second run starts from the user's file.
    ASSERT_TRUE(install_.launch()) << install_.error().toStdString();
    EXPECT_EQ(install_.copyField(Role::HexField, QStringLiteral("#12AB34")),
              QStringLiteral("#12AB34"));
    ASSERT_TRUE(install_.click(Role::CloseButton));
    exit = install_.waitExit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_EQ(exit.code, 0) << install_.stderrText().toStdString();
    EXPECT_EQ(iniValue(install_.userIni(), kSettings, kLastColor), QStringLiteral("12AB34"));

    EXPECT_EQ(readFile(install_.appFile(QStringLiteral("huepick.ini"))), QByteArray(kInstalledIni));
    EXPECT_FALSE(QFileInfo::exists(install_.appFile(QStringLiteral("huepick.html"))));
}

}  // namespace
}  // namespace e2e::faults
