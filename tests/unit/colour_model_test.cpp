// SPDX-License-Identifier: MIT
// The colour model as the windows see it: values, field texts, the hex text
// and one changed() per operation that changes anything.
#include "core/colour_model.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QSignalSpy>

#include "qt_print.h"

namespace huepick {
namespace {

using enum Channel;
using Texts = std::array<QString, 3>;

class ColourModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Fractions are typed with the user's decimal separator; pin it.
        m_oldLocale = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(m_oldLocale); }

    // Runs one operation and returns how often it announced a change.
    template <class Operation>
    int changes(Operation operation) {
        QSignalSpy spy(&m_model, &ColourModel::changed);
        operation();
        return static_cast<int>(spy.count());
    }

    void expectShows(const Rgb& values, const Texts& texts, const QString& hex) {
        EXPECT_EQ(m_model.values(), values);
        EXPECT_EQ(m_model.texts(), texts);
        EXPECT_EQ(m_model.hexText(), hex);
    }

    ColourModel m_model;
    QLocale m_oldLocale;
};

TEST_F(ColourModelTest, StartsBlackWithRestoreValuesZero) {
    expectShows({0, 0, 0}, {"0", "0", "0"}, "#000000");
    EXPECT_EQ(m_model.colour(), QColor(0, 0, 0));
    for (Channel c : kChannels) {
        EXPECT_EQ(m_model.restoreValue(c), 0);
    }
    EXPECT_EQ(m_model.captureMode(), CaptureMode::None);
}

// ---------------------------------------------------------------- channel fields

TEST_F(ColourModelTest, TypedNumberRepaintsEveryFace) {
    EXPECT_EQ(changes([&] { m_model.editChannel(Green, "128"); }), 1);
    expectShows({0, 128, 0}, {"0", "128", "0"}, "#008000");
    EXPECT_EQ(m_model.colour(), QColor(0, 128, 0));
    EXPECT_EQ(m_model.channelColour(Green), QColor(0, 128, 0));
    EXPECT_EQ(m_model.channelColour(Red), QColor(0, 0, 0));
    // The same text again changes nothing.
    EXPECT_EQ(changes([&] { m_model.editChannel(Green, "128"); }), 0);
}

TEST_F(ColourModelTest, NumbersOutsideTheRangeAreClampedInValueAndText) {
    EXPECT_EQ(changes([&] { m_model.editChannel(Red, "300"); }), 1);
    expectShows({255, 0, 0}, {"255", "0", "0"}, "#FF0000");
    EXPECT_EQ(m_model.channelColour(Red), QColor(255, 0, 0));

    m_model.editChannel(Green, "12");
    EXPECT_EQ(changes([&] { m_model.editChannel(Green, "-12"); }), 1);
    expectShows({255, 0, 0}, {"255", "0", "0"}, "#FF0000");
}

TEST_F(ColourModelTest, NonNumbersBringBackTheRestoreValue) {
    m_model.editChannel(Blue, "12");
    EXPECT_EQ(changes([&] { m_model.editChannel(Blue, "12a"); }), 1);
    expectShows({0, 0, 0}, {"0", "0", "0"}, "#000000");

    // After a step to 200 the restore value is 200.
    m_model.editChannel(Blue, "199");
    ASSERT_TRUE(m_model.step(Blue, +1));
    m_model.editChannel(Blue, "7");
    for (const char* garbage : {"", "abc", " ", "-"}) {
        m_model.editChannel(Blue, "7");
        EXPECT_EQ(changes([&] { m_model.editChannel(Blue, garbage); }), 1) << garbage;
        expectShows({0, 0, 200}, {"0", "0", "200"}, "#0000C8");
        EXPECT_EQ(m_model.channelColour(Blue), QColor(0, 0, 200));
    }
}

TEST_F(ColourModelTest, FieldsKeepTheirTextWhileTheValueIsRounded) {
    m_model.editChannel(Red, "05");
    expectShows({5, 0, 0}, {"05", "0", "0"}, "#050000");
    m_model.editChannel(Green, "1.5");
    expectShows({5, 2, 0}, {"05", "1.5", "0"}, "#050200");
    m_model.editChannel(Green, "2.5");
    expectShows({5, 2, 0}, {"05", "2.5", "0"}, "#050200");
    // The RGB notations copy the texts as shown.
    EXPECT_EQ(m_model.notation(9), u".forecolor = RGB(05,2.5,0)");
}

TEST_F(ColourModelTest, FractionsUseTheUsersDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_model.editChannel(Red, "1,5");
    EXPECT_EQ(m_model.value(Red), 2);
    m_model.editChannel(Red, "1.5");
    EXPECT_EQ(m_model.value(Red), 0) << "not a number here: the restore value";
}

TEST_F(ColourModelTest, NumberBeyondSixteenBitsChangesOnlyTheText) {
    m_model.editChannel(Red, "42");
    EXPECT_EQ(changes([&] { m_model.editChannel(Red, "99999"); }), 1);
    expectShows({42, 0, 0}, {"99999", "0", "0"}, "#2A0000");
}

// Fault in ColourModel, kept disabled until it is fixed: the window hands
// every text the user leaves in a field to editChannel() and redraws the
// field only on changed(). When the corrected text equals the one shown before
// the edit (a cleared "0" field, or "300" pasted over "255"), the model's state
// ends where it began and nothing is announced, so the field keeps showing the
// empty text or "300" while the model holds "0" or "255".
TEST_F(ColourModelTest, ACorrectedFieldIsRedrawnEvenWhenTheColourStays) {
    EXPECT_EQ(changes([&] { m_model.editChannel(Red, ""); }), 1);
    EXPECT_EQ(m_model.text(Red), u"0");
    m_model.editChannel(Green, "255");
    EXPECT_EQ(changes([&] { m_model.editChannel(Green, "300"); }), 1);
    EXPECT_EQ(changes([&] { m_model.editChannel(Blue, "-5"); }), 1);
}

// ---------------------------------------------------------------- step buttons

TEST_F(ColourModelTest, StepsStopAtTheLimitsAndSetTheRestoreValue) {
    m_model.editChannel(Red, "250");
    for (int expected = 251; expected <= 255; ++expected) {
        EXPECT_EQ(changes([&] { EXPECT_TRUE(m_model.step(Red, +1)); }), 1);
        EXPECT_EQ(m_model.value(Red), expected);
        EXPECT_EQ(m_model.text(Red), QString::number(expected));
        EXPECT_EQ(m_model.restoreValue(Red), expected);
        EXPECT_EQ(m_model.hexText(), hexOf({expected, 0, 0}));
    }
    EXPECT_EQ(changes([&] { EXPECT_FALSE(m_model.step(Red, +1)); }), 0);
    expectShows({255, 0, 0}, {"255", "0", "0"}, "#FF0000");

    EXPECT_EQ(changes([&] { EXPECT_FALSE(m_model.step(Green, -1)); }), 0);
    expectShows({255, 0, 0}, {"255", "0", "0"}, "#FF0000");
    EXPECT_EQ(m_model.restoreValue(Green), 0);
}

TEST_F(ColourModelTest, AStepAtTheLimitStillSetsTheRestoreValue) {
    m_model.editChannel(Red, "300");  // typed: the restore value stays 0
    ASSERT_EQ(m_model.restoreValue(Red), 0);
    EXPECT_EQ(changes([&] { EXPECT_FALSE(m_model.step(Red, +1)); }), 1);
    EXPECT_EQ(m_model.restoreValue(Red), 255);
    m_model.editChannel(Red, "x");
    EXPECT_EQ(m_model.value(Red), 255);
}

TEST_F(ColourModelTest, AStepRewritesATypedText) {
    m_model.editChannel(Green, "05");
    m_model.step(Green, -1);
    expectShows({0, 4, 0}, {"0", "4", "0"}, "#000400");
}

// ---------------------------------------------------------------- hex field

TEST_F(ColourModelTest, EnterAppliesASevenCharacterText) {
    m_model.editHex("#00FF00");
    EXPECT_EQ(changes([&] { m_model.applyHex(); }), 1);
    expectShows({0, 255, 0}, {"0", "255", "0"}, "#00FF00");

    // The first character is not looked at.
    m_model.editChannel(Green, "0");
    m_model.editHex("X00FF00");
    m_model.applyHex();
    expectShows({0, 255, 0}, {"0", "255", "0"}, "#00FF00");

    // Unknown characters count as 0.
    m_model.editHex("#GZ8x0F");
    m_model.applyHex();
    expectShows({0, 128, 15}, {"0", "128", "15"}, "#00800F");
}

TEST_F(ColourModelTest, LowerCaseDigitsAreDigits) {
    m_model.pick(qRgb(1, 2, 3));
    m_model.editHex("#ff8000");
    m_model.applyHex();
    expectShows({255, 128, 0}, {"255", "128", "0"}, "#FF8000");
}

TEST_F(ColourModelTest, OtherLengthsChangeNothing) {
    m_model.pick(qRgb(255, 128, 0));
    for (const char* wrong : {"", "#", "#FF80", "#FF800", "#0000000", "000000"}) {
        m_model.editHex(wrong);
        EXPECT_EQ(changes([&] { m_model.applyHex(); }), 0) << wrong;
        expectShows({255, 128, 0}, {"255", "128", "0"}, wrong);
    }
}

TEST_F(ColourModelTest, TheSameColourTypedAgainKeepsTheTypedText) {
    m_model.pick(qRgb(255, 128, 0));
    EXPECT_EQ(changes([&] { m_model.editHex("?FF8000"); }), 1);
    EXPECT_EQ(changes([&] { m_model.applyHex(); }), 0);
    expectShows({255, 128, 0}, {"255", "128", "0"}, "?FF8000");
    EXPECT_EQ(m_model.notation(1), u"color = ?FF8000");
}

TEST_F(ColourModelTest, TypingInTheHexFieldChangesOnlyItsText) {
    m_model.pick(qRgb(255, 128, 0));
    EXPECT_EQ(changes([&] { m_model.editHex("#12"); }), 1);
    expectShows({255, 128, 0}, {"255", "128", "0"}, "#12");
    EXPECT_EQ(m_model.notation(1), u"color = #12");
    EXPECT_EQ(changes([&] { m_model.editHex("#12"); }), 0);
}

// ---------------------------------------------------------------- start, pick, store

TEST_F(ColourModelTest, StoredTextIsShownAsStored) {
    const struct {
        const char* stored;
        Rgb values;
    } cases[] = {
        {"FF8000", {255, 128, 0}}, {"ff8000", {255, 128, 0}}, {"ABC", {171, 204, 188}},
        {"12", {18, 0, 18}},       {"", {0, 0, 0}},           {"FF8000AB1", {255, 128, 177}},
    };
    for (const auto& c : cases) {
        ColourModel model;
        model.setStoredText(c.stored);
        EXPECT_EQ(model.values(), c.values) << c.stored;
        EXPECT_EQ(model.texts(), (Texts{QString::number(c.values[0]), QString::number(c.values[1]),
                                        QString::number(c.values[2])}))
            << c.stored;
        EXPECT_EQ(model.hexText(), u'#' + QString::fromLatin1(c.stored));
        EXPECT_EQ(model.colour(), QColor(c.values[0], c.values[1], c.values[2])) << c.stored;
        for (Channel ch : kChannels) {
            EXPECT_EQ(model.restoreValue(ch), 0);
        }
    }
    // Unchanged, a stored text is stored again as it was.
    m_model.setStoredText("ff8000");
    EXPECT_EQ(m_model.storedText(), u"ff8000");
}

TEST_F(ColourModelTest, StoredTextIsTheHexTextAfterItsFirstCharacter) {
    const struct {
        const char* hex;
        const char* stored;
    } cases[] = {
        {"#FF8000", "FF8000"}, {"#12", "12"}, {"FF00FF", "F00FF"}, {"#", ""}, {"", ""},
        {"?ff80zz", "ff80zz"},
    };
    for (const auto& c : cases) {
        m_model.editHex(c.hex);
        EXPECT_EQ(m_model.storedText(), QString::fromLatin1(c.stored)) << c.hex;
    }
    m_model.setStoredText("ABCDEFGH");
    EXPECT_EQ(m_model.storedText(), u"ABCDEF") << "at most six characters";
}

TEST_F(ColourModelTest, APickedPixelBecomesTheColour) {
    m_model.editChannel(Red, "199");
    m_model.step(Red, +1);
    m_model.editChannel(Green, "1.5");
    EXPECT_EQ(changes([&] { m_model.pick(qRgba(10, 11, 12, 34)); }), 1);
    expectShows({10, 11, 12}, {"10", "11", "12"}, "#0A0B0C");
    EXPECT_EQ(m_model.colour(), QColor(10, 11, 12));
    EXPECT_EQ(m_model.restoreValue(Red), 200);
    EXPECT_EQ(m_model.restoreValue(Green), 0);
    // The hex text is rewritten even when the colour stays.
    m_model.editHex("?0A0B0C");
    EXPECT_EQ(changes([&] { m_model.pick(qRgb(10, 11, 12)); }), 1);
    EXPECT_EQ(m_model.hexText(), u"#0A0B0C");
    EXPECT_EQ(changes([&] { m_model.pick(qRgb(10, 11, 12)); }), 0);
}

TEST_F(ColourModelTest, CaptureModeIsAnnouncedWhenItChanges) {
    EXPECT_EQ(changes([&] { m_model.setCaptureMode(CaptureMode::Magnify); }), 1);
    EXPECT_EQ(m_model.captureMode(), CaptureMode::Magnify);
    EXPECT_EQ(changes([&] { m_model.setCaptureMode(CaptureMode::Magnify); }), 0);
    EXPECT_EQ(changes([&] { m_model.setCaptureMode(CaptureMode::None); }), 1);
    expectShows({0, 0, 0}, {"0", "0", "0"}, "#000000");
}

}  // namespace
}  // namespace huepick
