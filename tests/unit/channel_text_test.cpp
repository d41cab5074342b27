// SPDX-License-Identifier: MIT
#include "core/channel_text.h"

#include <gtest/gtest.h>

#include "qt_print.h"

namespace huepick {
namespace {

using Status = ChannelNumber::Status;

struct Case {
    const char16_t* text;
    Status status;
    int value;
};

void expectCases(std::initializer_list<Case> cases, QChar point) {
    for (const Case& c : cases) {
        const ChannelNumber n = parseChannelText(QStringView(c.text), point);
        const std::string shown = '"' + QString::fromUtf16(c.text).toStdString() + '"';
        EXPECT_EQ(n.status, c.status) << shown;
        if (c.status == Status::Ok) {
            EXPECT_EQ(n.value, c.value) << shown;
        }
    }
}

TEST(ParseChannelText, PlainNumbersBlanksAndSigns) {
    expectCases({{u"0", Status::Ok, 0},
                 {u"255", Status::Ok, 255},
                 {u"300", Status::Ok, 300},
                 {u"05", Status::Ok, 5},
                 {u"007", Status::Ok, 7},
                 {u" 12", Status::Ok, 12},
                 {u"12  ", Status::Ok, 12},
                 {u"  12  ", Status::Ok, 12},
                 {u"+5", Status::Ok, 5},
                 {u"-12", Status::Ok, -12},
                 {u" -1 ", Status::Ok, -1},
                 {u"-0", Status::Ok, 0}},
                u'.');
}

TEST(ParseChannelText, FractionsRoundHalfToEven) {
    expectCases({{u"1.5", Status::Ok, 2},
                 {u"2.5", Status::Ok, 2},
                 {u"3.5", Status::Ok, 4},
                 {u"0.5", Status::Ok, 0},
                 {u"-0.5", Status::Ok, 0},
                 {u"-1.5", Status::Ok, -2},
                 {u"255.5", Status::Ok, 256},
                 {u"254.5", Status::Ok, 254},
                 {u"2.50", Status::Ok, 2},
                 {u"2.501", Status::Ok, 3},
                 {u"2.4999", Status::Ok, 2},
                 {u"1.6", Status::Ok, 2},
                 {u"1.4", Status::Ok, 1},
                 {u"1.", Status::Ok, 1},
                 {u".5", Status::Ok, 0},
                 {u".7", Status::Ok, 1}},
                u'.');
}

TEST(ParseChannelText, NonNumbersAreTypeMismatches) {
    expectCases({{u"", Status::TypeMismatch, 0},
                 {u" ", Status::TypeMismatch, 0},
                 {u"   ", Status::TypeMismatch, 0},
                 {u"+", Status::TypeMismatch, 0},
                 {u"-", Status::TypeMismatch, 0},
                 {u" - ", Status::TypeMismatch, 0},
                 {u".", Status::TypeMismatch, 0},
                 {u"-.", Status::TypeMismatch, 0},
                 {u"abc", Status::TypeMismatch, 0},
                 {u"12a", Status::TypeMismatch, 0},
                 {u"a12", Status::TypeMismatch, 0},
                 {u"1 2", Status::TypeMismatch, 0},
                 {u"--1", Status::TypeMismatch, 0},
                 {u"+-1", Status::TypeMismatch, 0},
                 {u"1-", Status::TypeMismatch, 0},
                 {u"1.2.3", Status::TypeMismatch, 0},
                 {u"1.5x", Status::TypeMismatch, 0},
                 {u"#12", Status::TypeMismatch, 0}},
                u'.');
}

TEST(ParseChannelText, BeyondSixteenBitsIsOverflow) {
    expectCases({{u"32767", Status::Ok, 32767},
                 {u"-32768", Status::Ok, -32768},
                 {u"32766.5", Status::Ok, 32766},
                 {u"32768", Status::Overflow, 0},
                 {u"-32769", Status::Overflow, 0},
                 {u"32767.5", Status::Overflow, 0},
                 {u"99999", Status::Overflow, 0},
                 {u"123456789012345678901234567890", Status::Overflow, 0},
                 {u"-123456789012345678901234567890", Status::Overflow, 0}},
                u'.');
}

TEST(ParseChannelText, UsesTheGivenDecimalSeparator) {
    expectCases(
        {{u"1,5", Status::Ok, 2}, {u"2,5", Status::Ok, 2}, {u"1.5", Status::TypeMismatch, 0}},
        u',');
    expectCases({{u"1,5", Status::TypeMismatch, 0}}, u'.');
}

}  // namespace
}  // namespace huepick
