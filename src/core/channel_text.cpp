// SPDX-License-Identifier: MIT
#include "core/channel_text.h"

#include "core/blank_trim.h"

#include <algorithm>

namespace huepick {

namespace {
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
}  // namespace

ChannelNumber parseChannelText(QStringView typed, QChar decimalPoint) {
    using Status = ChannelNumber::Status;
    const QStringView text = trimBlanks(typed);
    qsizetype i = 0;
    const qsizetype end = text.size();
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
    while (i < end && isDigit(text[i])) {
        magnitude = std::min(kCeiling, magnitude * 10 + (text[i].unicode() - u'0'));
        ++i;
        ++digits;
    }
    int roundUp = 0;  // 0: fraction below a half, 1: exactly a half, 2: above
    if (i < end && text[i] == decimalPoint) {
        ++i;
        const qsizetype fractionStart = i;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++digits;
        }
        if (i > fractionStart) {
            const int first = text[fractionStart].unicode() - u'0';
            bool restZero = true;
            for (qsizetype k = fractionStart + 1; k < i; ++k) {
                restZero = restZero && text[k] == u'0';
            }
            roundUp = first > 5 || (first == 5 && !restZero) ? 2 : first == 5 ? 1 : 0;
        }
    }
    if (i != end || digits == 0) {
        return {Status::TypeMismatch, 0};
    }
    if (roundUp == 2 || (roundUp == 1 && magnitude % 2 == 1)) {
        magnitude = std::min(kCeiling, magnitude + 1);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT16_MIN || value > INT16_MAX) {
        return {Status::Overflow, 0};
    }
    return {Status::Ok, static_cast<std::int16_t>(value)};
}

}  // namespace huepick
