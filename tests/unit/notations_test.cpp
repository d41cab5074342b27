// SPDX-License-Identifier: MIT
#include "core/notations.h"

#include <gtest/gtest.h>

#include "qt_print.h"

namespace huepick {
namespace {

using Texts = std::array<QString, 3>;

TEST(NotationText, AllTenKeysGiveTheirExactTexts) {
    const QString hex = QStringLiteral("#FF8000");
    const Texts channels{QStringLiteral("255"), QStringLiteral("128"), QStringLiteral("0")};
    const char* const expected[kNotationCount] = {
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
    for (int number = 1; number <= kNotationCount; ++number) {
        EXPECT_EQ(notationText(number, hex, channels).toStdString(), expected[number - 1])
            << "F" << number;
    }
}

TEST(NotationText, TakesTheFieldTextsUnchanged) {
    const QString hex = QStringLiteral("?FF8000");
    EXPECT_EQ(
        notationText(9, hex, {QStringLiteral("05"), QStringLiteral("128"), QStringLiteral("0")}),
        u".forecolor = RGB(05,128,0)");
    EXPECT_EQ(notationText(10, hex, {QStringLiteral("1.5"), QString(), QStringLiteral(" 7")}),
              u".backcolor = RGB(1.5,, 7)");
    EXPECT_EQ(notationText(1, hex, {}), u"color = ?FF8000");
    EXPECT_EQ(notationText(1, QStringLiteral("#12"), {}), u"color = #12");
    EXPECT_EQ(notationText(2, QString(), {}), u"color:;");
}

TEST(NotationText, OtherNumbersGiveNothing) {
    for (int number : {0, -1, 11, 12, 112, 121}) {
        EXPECT_TRUE(notationText(number, QStringLiteral("#FF8000"), {}).isEmpty()) << number;
    }
}

}  // namespace
}  // namespace huepick
