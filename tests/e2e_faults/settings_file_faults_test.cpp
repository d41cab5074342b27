// A settings file the program cannot use as it is, or a folder it may not
// write: the program still starts, works and exits normally, and a colour
// stored before is never lost.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <csignal>

#include "harness/files.h"
#include "harness/printers.h"
#include "harness/unprivileged_user.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e::faults {
namespace {

const QString kSettings = QStringLiteral("settings");
const QString kLastColor = QStringLiteral("lastcolor");

void expect_clean_exit(AppRun& app) {
    const ExitInfo exit = app.wait_exit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0) << app.stderr_text().toStdString();
}

// Starts the program, sets a colour through the hexadecimal field, checks
// that the colour took, and closes with the close button.
void set_colour_and_close(XAppRun& app) {
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(app.enter_hex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copy_field(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);
}

TEST(BrokenSettingsFile, DirectoryInItsPlaceStartsBlackAndIsLeftAlone) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session);
    ASSERT_TRUE(QDir().mkdir(app.ini_path()));
    const QString inside = app.ini_path() + QStringLiteral("/keep");
    ASSERT_TRUE(write_file(inside, "someone else's\n"));

    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    EXPECT_EQ(app.copy_field(Role::HexField, QStringLiteral("#000000")), QStringLiteral("#000000"));
    ASSERT_TRUE(app.enter_hex(QStringLiteral("#12AB34")));
    EXPECT_EQ(app.copy_field(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);

    EXPECT_TRUE(QFileInfo(app.ini_path()).isDir());
    EXPECT_EQ(QDir(app.ini_path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("keep")});
    EXPECT_EQ(read_file(inside), QByteArray("someone else's\n"));
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

    const QByteArray after = app.ini_text();
    EXPECT_TRUE(after.startsWith(garbage)) << "the bytes the program does not own were changed";
    EXPECT_EQ(app.ini_value(kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_EQ(app.stderr_text(), QString());
}

// Starts the program; how long it took from exec to a viewable window, in ms.
std::optional<double> start_timed(XAppRun& app) {
    if (!app.start() || !app.wait_for_window()) {
        return std::nullopt;
    }
    return static_cast<double>(app.ns_since_launch()) / 1e6;
}

struct HugeLine {
    const char* name;
    QByteArray ini;
    QString shown_green;  // txt_G once loaded
    QByteArray stored;    // the whole file after the shutdown
    friend void PrintTo(const HugeLine& c, std::ostream* os) { *os << c.name; }
};

class HugeSettingsLine : public ::testing::TestWithParam<HugeLine> {};

// A 10 MB line costs reading 10 MB, not a stall; a run without it sets the
// pace on this machine, as load from other work varies.
TEST_P(HugeSettingsLine, AddsLessThanOneSecondToStartUpAndTheColourIsKept) {
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun plain(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    const std::optional<double> baseline = start_timed(plain);
    ASSERT_TRUE(baseline.has_value()) << plain.error().toStdString();
    ASSERT_TRUE(plain.send_signal(SIGTERM));
    expect_clean_exit(plain);

    XAppRun app(session, {.ini = GetParam().ini});
    const std::optional<double> huge = start_timed(app);
    ASSERT_TRUE(huge.has_value()) << app.error().toStdString();
    RecordProperty("startup_ms", QString::number(*huge, 'f', 0).toStdString());
    RecordProperty("baseline_ms", QString::number(*baseline, 'f', 0).toStdString());
    EXPECT_LT(*huge - *baseline, 1000.0)
        << "start-up took " << *huge << " ms against " << *baseline << " ms without the huge line";

    EXPECT_EQ(app.copy_field(Role::GreenField, GetParam().shown_green), GetParam().shown_green);
    ASSERT_TRUE(app.click(Role::CloseButton));
    expect_clean_exit(app);
    EXPECT_TRUE(app.ini_text() == GetParam().stored)
        << app.ini_text().size() << " bytes stored: " << app.ini_text().left(80).toStdString();
}

const QByteArray kTenMegabytes(10 * 1024 * 1024, 'x');

INSTANTIATE_TEST_SUITE_P(
    TenMegabytes, HugeSettingsLine,
    ::testing::Values(
        // Another key's line: the file stays as it was, byte for byte.
        HugeLine{"OtherKey", "[settings]\nlastcolor=FF8000\nnotes=" + kTenMegabytes + "\n",
                 QStringLiteral("128"),
                 "[settings]\nlastcolor=FF8000\nnotes=" + kTenMegabytes + "\n"},
        // The colour's own line is read up to the reader's cap: red and green
        // from its start, blue from the end of what was read (x counts as 0).
        // The shutdown stores the shown text's first six characters.
        HugeLine{"ColourValue", "[settings]\nlastcolor=FF8000" + kTenMegabytes + "\n",
                 QStringLiteral("128"), "[settings]\nlastcolor=FF8000\n"}),
    [](const ::testing::TestParamInfo<HugeLine>& info) { return info.param.name; });

// ---------------------------------------------------------------- read-only install

class ReadOnlyInstall : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::optional<QString> why = unprivileged_user_unavailable()) {
            GTEST_SKIP() << why->toStdString();
        }
        ASSERT_TRUE(session_.ok()) << session_.error().toStdString();
    }

    static constexpr char kInstalledIni[] = "[settings]\nlastcolor=ABCDEF\n";
    XSession session_;
    XAppRun install_{
        session_,
        {.ini = QByteArray(kInstalledIni), .unprivileged = true, .folder_writable = false}};
};

// The per-user files take over for reading as well as writing, decided once
// at start-up; the installed file is neither read nor touched.
TEST_F(ReadOnlyInstall, KeepsColourAndLogInTheUsersFoldersAcrossRuns) {
    ASSERT_TRUE(install_.launch()) << install_.error().toStdString();
    EXPECT_EQ(install_.copy_field(Role::HexField, QStringLiteral("#000000")),
              QStringLiteral("#000000"));
    ASSERT_TRUE(install_.enter_hex(QStringLiteral("#12AB34")));
    ASSERT_EQ(install_.copy_field(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(install_.click(Role::ExportButton));
    ASSERT_TRUE(poll_until([&] { return read_file(install_.user_log()).has_value(); }, 3000))
        << "no log in the user's data folder; stderr: " << install_.stderr_text().toStdString();
    ASSERT_TRUE(install_.click(Role::CloseButton));
    ExitInfo exit = install_.wait_exit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(install_.stderr_text(), QString());
    EXPECT_EQ(ini_value(install_.user_ini(), kSettings, kLastColor), QStringLiteral("12AB34"));
    EXPECT_TRUE(read_file(install_.user_log())->contains("COLOR=#12AB34><B>#12AB34</B>"));

    // The second run starts from the user's file.
    ASSERT_TRUE(install_.launch()) << install_.error().toStdString();
    EXPECT_EQ(install_.copy_field(Role::HexField, QStringLiteral("#12AB34")),
              QStringLiteral("#12AB34"));
    ASSERT_TRUE(install_.click(Role::CloseButton));
    exit = install_.wait_exit();
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_EQ(exit.code, 0) << install_.stderr_text().toStdString();
    EXPECT_EQ(ini_value(install_.user_ini(), kSettings, kLastColor), QStringLiteral("12AB34"));

    EXPECT_EQ(read_file(install_.app_file(QStringLiteral("huepick.ini"))),
              QByteArray(kInstalledIni));
    EXPECT_FALSE(QFileInfo::exists(install_.app_file(QStringLiteral("huepick.html"))));
}

}  // namespace
}  // namespace e2e::faults
