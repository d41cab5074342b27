// SPDX-License-Identifier: MIT
// Fuzzes parseChannelText and a channel field of the colour model. The first
// input byte picks the decimal point; the rest is the field's text, read as
// UTF-8 and again as raw UTF-16 code units. Texts short enough for exact
// 128-bit arithmetic are checked against a plain reference conversion, and
// the field's value and text after the edit against the rules a user sees.
#include <QLocale>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/channel_text.h"
#include "core/colour_model.h"

#define REQUIRE(ok) ((ok) ? void() : fail(#ok, __LINE__))

namespace {

using huepick::ChannelNumber;
using Status = ChannelNumber::Status;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    std::abort();
}

// The decimal point the reference understands: never a blank, digit or sign,
// which would make the text's structure ambiguous.
QChar decimalPointFrom(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    const bool usable =
        byte > 0x20 && byte < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-';
    return usable ? QChar(c) : QChar(u'.');
}

bool blank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// blanks, [sign], digits, [point digits], blanks; at least one digit; the
// fraction rounds to the nearest integer, a half to the even one.
ChannelNumber reference(QStringView text, QChar point) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && blank(text[i])) {
        ++i;
    }
    while (end > i && blank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i++] == u'-';
    }
    __int128 whole = 0;
    int count = 0;
    for (; i < end && digit(text[i]); ++i, ++count) {
        whole = whole * 10 + (text[i].unicode() - u'0');
    }
    QStringView fraction;
    if (i < end && text[i] == point) {
        const qsizetype start = ++i;
        while (i < end && digit(text[i])) {
            ++i;
        }
        fraction = text.mid(start, i - start);
        count += static_cast<int>(fraction.size());
    }
    if (i != end || count == 0) {
        return {Status::TypeMismatch, 0};
    }
    // Compare the fraction with one half: "5" followed by nothing but zeros is
    // exactly a half.
    int versusHalf = -1;
    if (!fraction.isEmpty()) {
        if (fraction[0] > u'5') {
            versusHalf = 1;
        } else if (fraction[0] == u'5') {
            versusHalf = 0;
            for (qsizetype k = 1; k < fraction.size(); ++k) {
                if (fraction[k] != u'0') {
                    versusHalf = 1;
                }
            }
        }
    }
    if (versusHalf > 0 || (versusHalf == 0 && whole % 2 == 1)) {
        ++whole;
    }
    const __int128 value = negative ? -whole : whole;
    if (value < INT16_MIN || value > INT16_MAX) {
        return {Status::Overflow, 0};
    }
    return {Status::Ok, static_cast<std::int16_t>(value)};
}

// Enough digits to overflow 16 bits many times over, yet far from 2^127.
constexpr qsizetype kReferenceLength = 30;

void check(QStringView text, QChar point) {
    const ChannelNumber got = huepick::parseChannelText(text, point);
    REQUIRE(got.status == Status::Ok || got.status == Status::TypeMismatch ||
            got.status == Status::Overflow);
    if (got.status != Status::Ok) {
        REQUIRE(got.value == 0);
    }
    if (text.size() <= kReferenceLength) {
        const ChannelNumber want = reference(text, point);
        REQUIRE(got.status == want.status && got.value == want.value);
    }
    // Blanks around a number never change it.
    if (text.size() <= kReferenceLength) {
        const QString padded = QStringLiteral(" \t") + text.toString() + QStringLiteral("\t ");
        const ChannelNumber again = huepick::parseChannelText(padded, point);
        REQUIRE(again.status == got.status && again.value == got.value);
    }
}

// A black model's red field after the user leaves `text` in it: a number is
// clamped to 0..255 (the field then shows the limit), a non-number brings back
// the restore value 0, a number beyond 16 bits changes nothing but the text.
void checkField(QStringView text) {
    if (text.size() > kReferenceLength) {
        return;
    }
    const ChannelNumber want = reference(text, u'.');
    // One model for the whole run, back to black before each edit; its
    // restore values stay 0, as nothing here steps.
    static huepick::ColourModel model;
    model.pick(qRgb(0, 0, 0));
    model.editChannel(huepick::Channel::Red, text.toString());
    int value = 0;
    QString shown = text.toString();
    switch (want.status) {
        case Status::Ok:
            value = std::clamp<int>(want.value, 0, 255);
            if (want.value > 255 || want.value < 0) {
                shown = QString::number(value);
            }
            break;
        case Status::TypeMismatch:
            shown = QStringLiteral("0");
            break;
        case Status::Overflow:
            break;
    }
    REQUIRE(model.value(huepick::Channel::Red) == value);
    REQUIRE(model.text(huepick::Channel::Red) == shown);
    REQUIRE(model.hexText() == huepick::hexOf({value, 0, 0}));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The model reads fractions with the user's decimal separator.
    QLocale::setDefault(QLocale::c());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QChar point = decimalPointFrom(data[0]);
    ++data;
    --size;
    const QString utf8 =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(utf8, point);
    checkField(utf8);

    QString raw(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(raw.data(), data, (size / 2) * 2);
    check(raw, point);
    checkField(raw);
    return 0;
}
