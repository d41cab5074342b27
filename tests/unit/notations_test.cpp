#include "core/notations.h"

#include <gtest/gtest.h>

#include "qt_print.h"

namespace huepick {
namespace {

TEST(NotationText, AllTenKeysGiveTheirExactTexts) {
    const QString hex = QStringLiteral("#FF8000");
    const QString r = QStringLiteral("255"), g = QStringLiteral("128"), b = QStringLiteral("0");
    const char* const expected[] = {
        "color = #FF8000",
        "color:#FF8000;",
        "text = #FF8000",
        "link = #FF8000",
        "vlink = #FF8000",
        "alink = #FF8000",
        "bordercolor = #FF8000",
        "bgcolor = #FF8000",
        ".forecolor = RGB(255,128,0)",
        ".backcolor = RGB(255,128,0)",
    };
    for (int i = 0; i < 10; ++i) {
        const auto text = notation_text(112 + i, hex, r, g, b);
        ASSERT_TRUE(text.has_value()) << "F" << i + 1;
        EXPECT_EQ(text->toStdString(), expected[i]) << "F" << i + 1;
    }
}

TEST(NotationText, TakesTheFieldTextsUnchanged) {
    const QString hex = QStringLiteral("?FF8000");
    EXPECT_EQ(
        notation_text(120, hex, QStringLiteral("05"), QStringLiteral("128"), QStringLiteral("0")),
        u".forecolor = RGB(05,128,0)");
    EXPECT_EQ(
        notation_text(121, hex, QStringLiteral("1.5"), QStringLiteral(""), QStringLiteral(" 7")),
        u".backcolor = RGB(1.5,, 7)");
    EXPECT_EQ(notation_text(112, hex, {}, {}, {}), u"color = ?FF8000");
    EXPECT_EQ(notation_text(112, QStringLiteral("#12"), {}, {}, {}), u"color = #12");
    EXPECT_EQ(notation_text(113, QString(), {}, {}, {}), u"color:;");
}

TEST(NotationText, OtherKeysGiveNothing) {
    for (int key : {0, 13, 111, 122, 123, 65}) {
        EXPECT_FALSE(notation_text(key, QStringLiteral("#FF8000"), {}, {}, {}).has_value()) << key;
    }
}

TEST(ParseHexEntry, ExactlySevenCharactersFirstOneIgnored) {
    using Channels = std::array<std::int16_t, 3>;
    EXPECT_EQ(parse_hex_entry(u"#00FF00"), (Channels{0, 255, 0}));
    EXPECT_EQ(parse_hex_entry(u"X00FF00"), (Channels{0, 255, 0}));
    EXPECT_EQ(parse_hex_entry(u"F000000"), (Channels{0, 0, 0}));
    EXPECT_EQ(parse_hex_entry(u"#FF8000"), (Channels{255, 128, 0}));
    // Lower-case and unknown digits count as 0.
    EXPECT_EQ(parse_hex_entry(u"#ff8000"), (Channels{0, 128, 0}));
    EXPECT_EQ(parse_hex_entry(u"#GZ8x0F"), (Channels{0, 128, 15}));
    for (const char16_t* wrong : {u"", u"#", u"#FF80", u"#FF800", u"#FF80000", u"FF8000"}) {
        EXPECT_FALSE(parse_hex_entry(QStringView(wrong)).has_value())
            << QString::fromUtf16(wrong).toStdString();
    }
}

}  // namespace
}  // namespace huepick
