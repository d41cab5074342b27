#include "core/channel_text.h"

#include <algorithm>

namespace huepick {

namespace {
bool is_blank(QChar c) { return c == u' ' || c == u'\t'; }
bool is_digit(QChar c) { return c >= u'0' && c <= u'9'; }
}  // namespace

ChannelNumber convert_channel_text(QStringView text, QChar decimal_point) {
    using Status = ChannelNumber::Status;
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && is_blank(text[i])) {
        ++i;
    }
    while (end > i && is_blank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The integer part accumulates with a ceiling so that any length of digits
    // is handled without overflowing our own arithmetic.
    constexpr std::int64_t kCeiling = 1'000'000;
    std::int64_t magnitude = 0;
    int digits = 0;
    while (i < end && is_digit(text[i])) {
        magnitude = std::min(kCeiling, magnitude * 10 + (text[i].unicode() - u'0'));
        ++i;
        ++digits;
    }
    int round_up = 0;  // 0: fraction below a half, 1: exactly a half, 2: above
    if (i < end && text[i] == decimal_point) {
        ++i;
        const qsizetype fraction_start = i;
        while (i < end && is_digit(text[i])) {
            ++i;
            ++digits;
        }
        if (i > fraction_start) {
            const int first = text[fraction_start].unicode() - u'0';
            bool rest_zero = true;
            for (qsizetype k = fraction_start + 1; k < i; ++k) {
                rest_zero = rest_zero && text[k] == u'0';
            }
            round_up = first > 5 || (first == 5 && !rest_zero) ? 2 : first == 5 ? 1 : 0;
        }
    }
    if (i != end || digits == 0) {
        return {Status::TypeMismatch, 0};
    }
    if (round_up == 2 || (round_up == 1 && magnitude % 2 == 1)) {
        magnitude = std::min(kCeiling, magnitude + 1);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT16_MIN || value > INT16_MAX) {
        return {Status::Overflow, 0};
    }
    return {Status::Ok, static_cast<std::int16_t>(value)};
}

}  // namespace huepick
