// Fuzzes convert_channel_text. The first input byte picks the decimal point;
// the rest is the field's text, read as UTF-8 and again as raw UTF-16 code
// units. Texts short enough for exact 128-bit arithmetic are checked against
// a plain reference conversion.
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/channel_text.h"

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
QChar decimal_point_from(std::uint8_t byte) {
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
    int versus_half = -1;
    if (!fraction.isEmpty()) {
        if (fraction[0] > u'5') {
            versus_half = 1;
        } else if (fraction[0] == u'5') {
            versus_half = 0;
            for (qsizetype k = 1; k < fraction.size(); ++k) {
                if (fraction[k] != u'0') {
                    versus_half = 1;
                }
            }
        }
    }
    if (versus_half > 0 || (versus_half == 0 && whole % 2 == 1)) {
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
    const ChannelNumber got = huepick::convert_channel_text(text, point);
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
        const ChannelNumber again = huepick::convert_channel_text(padded, point);
        REQUIRE(again.status == got.status && again.value == got.value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QChar point = decimal_point_from(data[0]);
    ++data;
    --size;
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
          point);

    QString raw(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(raw.data(), data, (size / 2) * 2);
    check(raw, point);
    return 0;
}
