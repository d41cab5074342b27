// SPDX-License-Identifier: MIT
#include "core/hex_text.h"

#include <gtest/gtest.h>

#include "qt_print.h"

namespace huepick {
namespace {

TEST(HexDigitValue, KnowsDecimalDigitsAndLettersOfEitherCase) {
    const QString digits = QStringLiteral("0123456789ABCDEF");
    for (int i = 0; i < digits.size(); ++i) {
        EXPECT_EQ(hexDigitValue(digits[i]), i) << digits[i].toLatin1();
        EXPECT_EQ(hexDigitValue(digits[i].toLower()), i) << digits[i].toLatin1();
    }
    for (char16_t other : {u'G', u'g', u' ', u'#', u'/', u':', u'@', u'`', u'\u00C4', u'\0',
                           u'\uFF21' /* full-width A */}) {
        EXPECT_EQ(hexDigitValue(QChar(other)), 0) << static_cast<int>(other);
    }
}

TEST(HexPairValue, UsesFirstAndLastCharacterOnly) {
    const struct {
        const char16_t* text;
        int value;
    } cases[] = {
        {u"FF", 255}, {u"80", 128},   {u"0a", 10},  {u"a0", 160},  {u"1f", 31},
        {u"G7", 7},   {u"F", 255},    {u"", 0},     {u"ABC", 172}, {u"00", 0},
        {u"7", 119},  {u"F00F", 255}, {u"ff", 255}, {u"Ff", 255},  {u"gF", 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexPairValue(QStringView(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(HexSlice, SlicesShortAndLongTexts) {
    EXPECT_EQ(hexSlice(Channel::Red, u"FF8000"), u"FF");
    EXPECT_EQ(hexSlice(Channel::Green, u"FF8000"), u"80");
    EXPECT_EQ(hexSlice(Channel::Blue, u"FF8000"), u"00");
    EXPECT_EQ(hexSlice(Channel::Green, u"FFF"), u"F");
    EXPECT_EQ(hexSlice(Channel::Blue, u"1"), u"1");
    EXPECT_EQ(hexSlice(Channel::Red, u"1"), u"1");
    EXPECT_TRUE(hexSlice(Channel::Green, u"12").isEmpty());
    for (Channel c : kChannels) {
        EXPECT_TRUE(hexSlice(c, u"").isEmpty());
    }
    // Longer texts: green stays at the third and fourth characters, blue
    // takes the last two.
    EXPECT_EQ(hexSlice(Channel::Red, u"FF8000AB1"), u"FF");
    EXPECT_EQ(hexSlice(Channel::Green, u"FF8000AB1"), u"80");
    EXPECT_EQ(hexSlice(Channel::Blue, u"FF8000AB1"), u"B1");
}

TEST(ChannelsOfHex, ShortLongAndLowerCaseStoredTexts) {
    EXPECT_EQ(channelsOfHex(u"FF8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(channelsOfHex(u"ABC"), (Rgb{171, 204, 188}));
    EXPECT_EQ(channelsOfHex(u"12"), (Rgb{18, 0, 18}));
    EXPECT_EQ(channelsOfHex(u"ff8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(channelsOfHex(u"FF8000AB1"), (Rgb{255, 128, 177}));
    EXPECT_EQ(channelsOfHex(u""), (Rgb{0, 0, 0}));
}

TEST(HexOf, TwoUpperCaseDigitsPerChannel) {
    EXPECT_EQ(hexOf({0, 0, 0}), u"#000000");
    EXPECT_EQ(hexOf({255, 255, 255}), u"#FFFFFF");
    EXPECT_EQ(hexOf({10, 11, 12}), u"#0A0B0C");
    EXPECT_EQ(hexOf({1, 128, 255}), u"#0180FF");
    EXPECT_EQ(hexOf({171, 204, 188}), u"#ABCCBC");
}

// What the hex field shows for a colour reads back as that colour, for every
// value of every channel.
TEST(HexOf, ReadsBackAsTheSameChannels) {
    for (int v = 0; v <= 255; ++v) {
        for (const Rgb& rgb : {Rgb{v, 0, 0}, Rgb{0, v, 0}, Rgb{0, 0, v}, Rgb{v, 255 - v, v}}) {
            const QString hex = hexOf(rgb);
            ASSERT_EQ(hex.size(), 7) << v;
            ASSERT_EQ(channelsOfHex(QStringView(hex).mid(1)), rgb) << hex.toStdString();
        }
    }
}

}  // namespace
}  // namespace huepick
