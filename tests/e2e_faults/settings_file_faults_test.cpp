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

void expectExit(AppRun& app, int code) {
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, code) << app.stderrText().toStdString();
}

void expectCleanExit(AppRun& app) {
    expectExit(app, 0);
}

// Starts the program, sets a colour through the hexadecimal field, checks
// that the colour took, and closes with the close button.
void setColourAndClose(XAppRun& app) {
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    expectCleanExit(app);
}

// A file the program refused at the start: one line then, the window starts
// from the defaults, and the colour cannot be stored at the end (one more
// line, status 1).
void expectRefusedAndNotStored(XAppRun& app) {
    const QStringList atStart = app.waitStderrLines(1);
    ASSERT_EQ(atStart.size(), 1) << app.stderrText().toStdString();
    EXPECT_TRUE(atStart[0].contains(QStringLiteral("huepick.ini"))) << atStart[0].toStdString();
    EXPECT_EQ(app.copyField(Role::HexField, QStringLiteral("#000000")), QStringLiteral("#000000"));
    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    EXPECT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    ASSERT_NO_FATAL_FAILURE(expectExit(app, 1));
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
    ASSERT_NO_FATAL_FAILURE(expectRefusedAndNotStored(app));

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

    ASSERT_NO_FATAL_FAILURE(setColourAndClose(app));

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
    expectCleanExit(app);

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
    expectCleanExit(app);
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
std::optional<double> startTimed(XAppRun& app) {
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
    std::vector<double> plainMs;
    std::vector<double> hugeMs;
    for (int run = 0; run < kRuns; ++run) {
        const std::optional<double> p = startTimed(plain);
        ASSERT_TRUE(p.has_value()) << plain.error().toStdString();
        plainMs.push_back(*p);
        ASSERT_TRUE(plain.sendSignal(SIGTERM));
        ASSERT_NO_FATAL_FAILURE(expectExit(plain, 0));

        const std::optional<double> h = startTimed(app);
        ASSERT_TRUE(h.has_value()) << app.error().toStdString();
        hugeMs.push_back(*h);
        if (run + 1 < kRuns) {
            ASSERT_TRUE(app.sendSignal(SIGTERM));
            ASSERT_NO_FATAL_FAILURE(expectExit(app, 1));
        }
    }
    const double plainMedian = median(plainMs);
    const double hugeMedian = median(hugeMs);
    std::cout << "start-up median of " << kRuns << " runs: " << plainMedian
              << " ms with a normal settings file, " << hugeMedian << " ms with 50 MB\n";
    RecordProperty("startup_plain_median_ms", QString::number(plainMedian, 'f', 0).toStdString());
    RecordProperty("startup_50mb_median_ms", QString::number(hugeMedian, 'f', 0).toStdString());
    EXPECT_LT(hugeMedian - plainMedian, 1000.0);

    // The last run goes on: black, as if there were no file, and nothing stored.
    ASSERT_NO_FATAL_FAILURE(expectRefusedAndNotStored(app));
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
        ASSERT_TRUE(m_session.ok()) << m_session.error().toStdString();
    }

    static constexpr char kInstalledIni[] = "[settings]\nlastcolor=ABCDEF\n";
    XSession m_session;
    XAppRun m_install{
        m_session,
        {.ini = QByteArray(kInstalledIni), .unprivileged = true, .folderWritable = false}};
};

// The per-user files take over for reading as well as writing, decided once
// at start-up; the installed file is neither read nor touched.
TEST_F(ReadOnlyInstall, KeepsColourAndLogInTheUsersFoldersAcrossRuns) {
    ASSERT_TRUE(m_install.launch()) << m_install.error().toStdString();
    EXPECT_EQ(m_install.copyField(Role::HexField, QStringLiteral("#000000")),
              QStringLiteral("#000000"));
    ASSERT_TRUE(m_install.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(m_install.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(m_install.click(Role::ExportButton));
    ASSERT_TRUE(pollUntil([&] { return readFile(m_install.userLog()).has_value(); }, 3000))
        << "no log in the user's data folder; stderr: " << m_install.stderrText().toStdString();
    ASSERT_TRUE(m_install.click(Role::CloseButton));
    ExitInfo exit = m_install.waitExit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(m_install.stderrText(), QString());
    EXPECT_EQ(iniValue(m_install.userIni(), kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_TRUE(readFile(m_install.userLog())->contains("COLOR=#12AB34><B>#12AB34</B>"));

    // The second run starts from the user's file.
    ASSERT_TRUE(m_install.launch()) << m_install.error().toStdString();
    EXPECT_EQ(m_install.copyField(Role::HexField, QStringLiteral("#12AB34")),
              QStringLiteral("#12AB34"));
    ASSERT_TRUE(m_install.click(Role::CloseButton));
    exit = m_install.waitExit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_EQ(exit.code, 0) << m_install.stderrText().toStdString();
    EXPECT_EQ(iniValue(m_install.userIni(), kSettings, kLastColor), QStringLiteral("12AB34"));

    EXPECT_EQ(readFile(m_install.appFile(QStringLiteral("huepick.ini"))),
              QByteArray(kInstalledIni));
    EXPECT_FALSE(QFileInfo::exists(m_install.appFile(QStringLiteral("huepick.html"))));
}

}  // namespace
}  // namespace e2e::faults
