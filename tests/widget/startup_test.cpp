#include <QDir>
#include "form_fixture.h"

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

class StartUp : public MainFormTest, public ::testing::WithParamInterface<StoredColour> {};

TEST_P(StartUp, ShowsTheStoredColourEverywhere) {
    const StoredColour& c = GetParam();
    if (c.stored) {
        store(c.stored);
    }
    start();
    const auto [r, g, b] = c.channels;
    EXPECT_EQ(channels(), c.channels);
    EXPECT_EQ(form().txt_R->text(), QString::number(r));
    EXPECT_EQ(form().txt_G->text(), QString::number(g));
    EXPECT_EQ(form().txt_B->text(), QString::number(b));
    // The hex field shows the stored text as it was read, not recomputed.
    EXPECT_EQ(form().show_hex->text(), QStringView(c.hex));
    EXPECT_EQ(form().Text1->colour(), QColor(r, 0, 0));
    EXPECT_EQ(form().Text2->colour(), QColor(0, g, 0));
    EXPECT_EQ(form().Text3->colour(), QColor(0, 0, b));
    EXPECT_EQ(form().colorme->colour(), QColor(r, g, b));
    for (QLineEdit* f : {form().txt_R, form().txt_G, form().txt_B, form().show_hex}) {
        EXPECT_TRUE(f->isEnabled()) << f->objectName().toStdString();
    }
    // Nothing was written by starting.
    if (!c.stored) {
        EXPECT_FALSE(QFile::exists(places_.ini_file));
    }
}

INSTANTIATE_TEST_SUITE_P(
    StoredTexts, StartUp,
    ::testing::Values(StoredColour{"orange", "FF8000", {255, 128, 0}, u"#FF8000"},
                      StoredColour{"lower_case", "ff8000", {0, 128, 0}, u"#ff8000"},
                      StoredColour{"three_digits", "ABC", {171, 204, 188}, u"#ABC"},
                      StoredColour{"two_digits", "12", {18, 0, 18}, u"#12"},
                      StoredColour{"absent", nullptr, {0, 0, 0}, u"#000000"},
                      StoredColour{"longer", "FF8000AB1", {255, 128, 177}, u"#FF8000AB1"},
                      StoredColour{"spaced", "  0A0B0C  ", {10, 11, 12}, u"#0A0B0C"}),
    [](const ::testing::TestParamInfo<StoredColour>& info) { return info.param.name; });

class ShutDown : public MainFormTest {};

TEST_F(ShutDown, StoresTheHexFieldWithoutItsFirstCharacter) {
    const struct {
        const char16_t* shown;
        QByteArray stored;
    } cases[] = {
        {u"#12", "12"},         {u"FF00FF", "F00FF"},      {u"#ff8000", "ff8000"},
        {u"?FF8000", "FF8000"}, {u"#FF8000AB1", "FF8000"},  // a longer text keeps six characters
    };
    for (const auto& c : cases) {
        store("000000");
        AppState fresh_state;
        IniMod fresh_ini;
        main_form window(fresh_state, {fresh_ini, clipboard_, shell_, places_});
        window.Form_Load();
        window.show_hex->setText(QString::fromUtf16(c.shown));
        window.Form_Unload();
        EXPECT_EQ(settings_bytes(), "[settings]\nlastcolor=" + c.stored + "\n")
            << QString::fromUtf16(c.shown).toStdString();
    }
}

TEST_F(ShutDown, EmptyHexFieldKeepsThePreviousValue) {
    for (const char16_t* shown : {u"", u"#", u"# ", u"#     "}) {
        store("ABCDEF");
        AppState fresh_state;
        IniMod fresh_ini;
        main_form window(fresh_state, {fresh_ini, clipboard_, shell_, places_});
        window.Form_Load();
        window.show_hex->setText(QString::fromUtf16(shown));
        window.Form_Unload();
        EXPECT_EQ(settings_bytes(), QByteArray("[settings]\nlastcolor=ABCDEF\n"))
            << '"' << QString::fromUtf16(shown).toStdString() << '"';
    }
}

TEST_F(ShutDown, AFailedStoreSaysSoOnOneLineAndABlankFieldSaysNothing) {
    // A folder where the settings file should be: nothing can be written.
    ASSERT_TRUE(QDir().mkpath(places_.ini_file));
    for (const auto& [shown, lines] : {std::pair{u"#FF8000"_s, 1}, std::pair{u"#"_s, 0}}) {
        AppState fresh_state;
        IniMod fresh_ini;
        main_form window(fresh_state, {fresh_ini, clipboard_, shell_, places_});
        window.Form_Load();
        window.show_hex->setText(shown);
        ::testing::internal::CaptureStderr();
        window.Form_Unload();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), lines) << err;
    }
}

TEST_F(ShutDown, ClosingWithoutASettingsFileCreatesIt) {
    start();
    QSignalSpy unloaded(&form(), &main_form::unloaded);
    form().close();
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(settings_bytes(), QByteArray("[settings]\nlastcolor=000000\n"));
    // Unloading happens once, however often the window is closed.
    form().Form_Unload();
    EXPECT_EQ(unloaded.count(), 1);
}

TEST_F(ShutDown, StoresTheColourAfterItChanged) {
    store("FF8000");
    start();
    form().txt_G->setText(u"255"_s);
    EXPECT_EQ(form().show_hex->text(), u"#FFFF00"_s);
    form().Form_Unload();
    EXPECT_EQ(settings_bytes(), QByteArray("[settings]\nlastcolor=FFFF00\n"));
}

}  // namespace
}  // namespace huepick::testing
