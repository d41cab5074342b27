#include "core/colour.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdint>
#include <ctime>
#include <iostream>

#include "qt_print.h"

namespace huepick {
namespace {

TEST(HexDigit, KnowsOnlyDecimalDigitsAndUpperCaseLetters) {
    const QString digits = QStringLiteral("0123456789ABCDEF");
    for (int i = 0; i < digits.size(); ++i) {
        EXPECT_EQ(hex_digit(QStringView(digits).mid(i, 1)), i) << digits[i].toLatin1();
    }
    for (const char16_t* other : {u"a", u"b", u"c", u"d", u"e", u"f", u"G", u"g", u" ", u"#", u"/",
                                  u":", u"@", u"`", u"\u00C4"}) {
        EXPECT_EQ(hex_digit(QStringView(other)), 0) << QString::fromUtf16(other).toStdString();
    }
    EXPECT_EQ(hex_digit(QStringView()), 0);
}

TEST(HexPair, UsesFirstAndLastCharacterOnly) {
    const struct {
        const char16_t* text;
        int value;
    } cases[] = {
        {u"FF", 255}, {u"80", 128},   {u"0a", 0}, {u"a0", 0},    {u"1f", 16},
        {u"G7", 7},   {u"F", 255},    {u"", 0},   {u"ABC", 172}, {u"00", 0},
        {u"7", 119},  {u"F00F", 255}, {u"ff", 0}, {u"Ff", 240},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex_pair(QStringView(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(HexPart, SlicesShortAndLongTexts) {
    EXPECT_EQ(hex_part(u"R", u"FF8000"), u"FF");
    EXPECT_EQ(hex_part(u"G", u"FF8000"), u"80");
    EXPECT_EQ(hex_part(u"B", u"FF8000"), u"00");
    EXPECT_EQ(hex_part(u"G", u"FFF"), u"F");
    EXPECT_EQ(hex_part(u"B", u"1"), u"1");
    EXPECT_EQ(hex_part(u"R", u"1"), u"1");
    EXPECT_TRUE(hex_part(u"G", u"12").isEmpty());
    EXPECT_TRUE(hex_part(u"R", u"").isEmpty());
    EXPECT_TRUE(hex_part(u"G", u"").isEmpty());
    EXPECT_TRUE(hex_part(u"B", u"").isEmpty());
    // Longer texts: green stays at the third and fourth characters, blue takes the last two.
    EXPECT_EQ(hex_part(u"R", u"FF8000AB1"), u"FF");
    EXPECT_EQ(hex_part(u"G", u"FF8000AB1"), u"80");
    EXPECT_EQ(hex_part(u"B", u"FF8000AB1"), u"B1");
    // The letter is compared exactly.
    for (const char16_t* letter : {u"X", u"r", u"g", u"b", u"", u"RG", u" R"}) {
        EXPECT_TRUE(hex_part(letter, u"FF8000").isEmpty())
            << QString::fromUtf16(letter).toStdString();
    }
}

TEST(HexPart, ShortStoredTextsSplitIntoChannels) {
    const auto channels = [](QStringView text) {
        return std::array<int, 3>{hex_pair(hex_part(u"R", text)), hex_pair(hex_part(u"G", text)),
                                  hex_pair(hex_part(u"B", text))};
    };
    EXPECT_EQ(channels(u"ABC"), (std::array<int, 3>{171, 204, 188}));
    EXPECT_EQ(channels(u"12"), (std::array<int, 3>{18, 0, 18}));
    EXPECT_EQ(channels(u"ff8000"), (std::array<int, 3>{0, 128, 0}));
    EXPECT_EQ(channels(u""), (std::array<int, 3>{0, 0, 0}));
}

TEST(HexOfChannels, TwoUpperCaseDigitsPerChannel) {
    EXPECT_EQ(hex_of_channels(0, 0, 0), u"#000000");
    EXPECT_EQ(hex_of_channels(255, 255, 255), u"#FFFFFF");
    EXPECT_EQ(hex_of_channels(10, 11, 12), u"#0A0B0C");
    EXPECT_EQ(hex_of_channels(1, 128, 255), u"#0180FF");
    EXPECT_EQ(hex_of_channels(171, 204, 188), u"#ABCCBC");
}

TEST(ColorToHex, RedIsTheLowestByte) {
    EXPECT_EQ(color_to_hex(color_value(0, 0, 0)).str(), u"000000");
    EXPECT_EQ(color_to_hex(color_value(255, 0, 0)).str(), u"FF0000");
    EXPECT_EQ(color_to_hex(color_value(0, 255, 0)).str(), u"00FF00");
    EXPECT_EQ(color_to_hex(color_value(0, 0, 255)).str(), u"0000FF");
    EXPECT_EQ(color_to_hex(color_value(0, 10, 0)).str(), u"000A00");
    EXPECT_EQ(color_to_hex(color_value(12, 11, 10)).str(), u"0C0B0A");
    EXPECT_EQ(color_to_hex(color_value(255, 255, 255)).str(), u"FFFFFF");
    EXPECT_EQ(color_value(255, 128, 0), 0x0080FF);
}

// Every colour value survives the trip to hex text and back, and the sweep is
// cheap enough to run on every build.
TEST(ColorToHex, RoundTripsEveryColourValue) {
    // CPU time is what the sweep costs; wall time also counts other jobs on a
    // shared machine.
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpu_start = std::clock();
    std::int64_t failures = 0;
    std::int32_t first_failure = -1;
    for (std::int32_t v = 0; v <= 0xFFFFFF; ++v) {
        const HexText hex = color_to_hex(v);
        const QStringView text = hex.view();
        const bool same = hex_pair(hex_part(u"R", text)) == (v & 0xFF) &&
                          hex_pair(hex_part(u"G", text)) == ((v >> 8) & 0xFF) &&
                          hex_pair(hex_part(u"B", text)) == ((v >> 16) & 0xFF);
        if (!same) {
            if (failures++ == 0) {
                first_failure = v;
            }
        }
    }
    const auto cpu_ms = static_cast<long>((std::clock() - cpu_start) * 1000 / CLOCKS_PER_SEC);
    const qint64 wall_ms = clock.elapsed();
    std::cout << "round trip over 16777216 colour values: " << cpu_ms << " ms CPU, " << wall_ms
              << " ms wall\n";
    RecordProperty("cpu_ms", static_cast<int>(cpu_ms));
    EXPECT_EQ(failures, 0) << "first failing value " << first_failure;
    EXPECT_LT(cpu_ms, 1000 * HUEPICK_TIME_SCALE);
}

}  // namespace
}  // namespace huepick
