// SPDX-License-Identifier: MIT
// Conversion of a channel field's text to a number.
#pragma once

#include <QChar>
#include <QStringView>
#include <cstdint>

namespace huepick {

struct ChannelNumber {
    enum class Status { Ok, TypeMismatch, Overflow };
    Status status = Status::TypeMismatch;
    std::int16_t value = 0;
};

// Accepts blanks around the number, an optional sign, digits and an optional
// fraction after `decimalPoint`; a fraction rounds to the nearest integer, a
// half to the even neighbour. Anything else is a type mismatch; a number outside
// the signed 16-bit range is an overflow.
ChannelNumber parseChannelText(QStringView text, QChar decimalPoint);

}  // namespace huepick
