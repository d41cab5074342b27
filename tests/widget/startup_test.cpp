// SPDX-License-Identifier: MIT
// Start-up shows the stored colour everywhere; closing stores the hex field's
// colour.
#include <QDir>

#include "app_fixture.h"

namespace huepick::testing {
namespace {

struct StoredColour {
    const char* name;
    const char* stored;  // nullptr: no settings file
    Triple channels;
    const char16_t* hex;
};

void PrintTo(const StoredColour& c, std::ostream* os) {
    *os << c.name;
}

class StartUp : public AppTest, public ::testing::WithParamInterface<StoredColour> {};

TEST_P(StartUp, ShowsTheStoredColourEverywhere) {
    const StoredColour& c = GetParam();
    if (c.stored) {
        store(c.stored);
    }
    start();
    const auto [r, g, b] = c.channels;
    EXPECT_EQ(text(Role::RedField), QString::number(r));
    EXPECT_EQ(text(Role::GreenField), QString::number(g));
    EXPECT_EQ(text(Role::BlueField), QString::number(b));
    // The hex field shows the stored text as it was read, not recomputed.
    EXPECT_EQ(text(Role::HexField), QStringView(c.hex));
    EXPECT_EQ(shown(Role::RedSwatch), QColor(r, 0, 0));
    EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, g, 0));
    EXPECT_EQ(shown(Role::BlueSwatch), QColor(0, 0, b));
    EXPECT_EQ(shown(Role::ColourSwatch), QColor(r, g, b));
    for (Role f : {Role::RedField, Role::GreenField, Role::BlueField, Role::HexField}) {
        EXPECT_TRUE(field(f)->isEnabled()) << nameOf(f).toStdString();
    }
    // Nothing was written by starting.
    if (!c.stored) {
        EXPECT_FALSE(QFile::exists(m_places.settingsFile));
    }
}

INSTANTIATE_TEST_SUITE_P(
    StoredTexts, StartUp,
    ::testing::Values(StoredColour{"orange", "FF8000", {255, 128, 0}, u"#FF8000"},
                      StoredColour{"lower_case", "ff8000", {255, 128, 0}, u"#ff8000"},
                      StoredColour{"three_digits", "ABC", {171, 204, 188}, u"#ABC"},
                      StoredColour{"two_digits", "12", {18, 0, 18}, u"#12"},
                      StoredColour{"absent", nullptr, {0, 0, 0}, u"#000000"},
                      StoredColour{"longer", "FF8000AB1", {255, 128, 177}, u"#FF8000AB1"},
                      StoredColour{"spaced", "  0A0B0C  ", {10, 11, 12}, u"#0A0B0C"}),
    [](const ::testing::TestParamInfo<StoredColour>& info) { return info.param.name; });

class ShutDown : public AppTest {
protected:
    // Starts, leaves `shown` in the hex field as typed, and closes.
    void closeShowing(const QString& shown) {
        start();
        QTest::keyClick(field(Role::HexField), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field(Role::HexField), Qt::Key_Backspace);
        QTest::keyClicks(field(Role::HexField), shown);
        ASSERT_EQ(text(Role::HexField), shown);
        window().close();
        m_app.reset();
    }
};

TEST_F(ShutDown, StoresTheHexFieldWithoutItsFirstCharacter) {
    const struct {
        const char16_t* shown;
        QByteArray stored;
    } cases[] = {
        {u"#12", "12"},
        {u"FF00FF", "F00FF"},
        {u"#ff8000", "ff8000"},
        {u"?FF8000", "FF8000"},
    };
    for (const auto& c : cases) {
        store("000000");
        closeShowing(QString::fromUtf16(c.shown));
        EXPECT_EQ(settingsBytes(), "[settings]\nlastcolor=" + c.stored + "\n")
            << QString::fromUtf16(c.shown).toStdString();
    }
    // A longer stored text keeps six characters.
    store("FF8000AB1");
    start();
    window().close();
    m_app.reset();
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=FF8000\n"));
}

TEST_F(ShutDown, EmptyHexFieldKeepsThePreviousValue) {
    for (const char16_t* shown : {u"", u"#", u"# ", u"#     "}) {
        store("ABCDEF");
        closeShowing(QString::fromUtf16(shown));
        EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=ABCDEF\n"))
            << '"' << QString::fromUtf16(shown).toStdString() << '"';
    }
}

TEST_F(ShutDown, AFailedStoreSaysSoOnOneLineAndABlankFieldSaysNothing) {
    // A folder where the settings file should be: nothing can be written.
    ASSERT_TRUE(QDir().mkpath(m_places.settingsFile));
    for (const auto& [shown, lines] : {std::pair{u"#FF8000"_s, 1}, std::pair{u"#"_s, 0}}) {
        ::testing::internal::CaptureStderr();
        start();
        const std::string atStart = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(ourLines(atStart), 1) << atStart;
        typeOver(Role::HexField, shown);
        ::testing::internal::CaptureStderr();
        window().close();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(ourLines(err), lines) << err;
        m_app.reset();
    }
}

TEST_F(ShutDown, ClosingWithoutASettingsFileCreatesItOnce) {
    start();
    QSignalSpy finished(m_app.get(), &HuepickApp::finished);
    window().close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=000000\n"));
    // Stored once, however often the program is asked to end.
    typeOver(Role::HexField, u"#FFFFFF"_s);
    EXPECT_TRUE(m_app->store());
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=000000\n"));
}

TEST_F(ShutDown, StoresTheColourAfterItChanged) {
    store("FF8000");
    start();
    typeOver(Role::GreenField, u"255"_s);
    EXPECT_EQ(text(Role::HexField), u"#FFFF00"_s);
    window().close();
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=FFFF00\n"));
}

}  // namespace
}  // namespace huepick::testing
