// SPDX-License-Identifier: MIT
// Hexadecimal colour text: "#RRGGBB" in the hex field, bare "RRGGBB" in the
// settings file. Written in upper case; read in either case, and forgiving: a
// text of any length splits into three channels, and a character that is no
// hex digit counts as 0.
#pragma once

#include <QString>
#include <QStringView>
#include <array>

#include "core/channel.h"

namespace huepick {

using Rgb = std::array<int, 3>;

// "#" and two upper-case digits per channel; channels are 0..255.
QString hexOf(const Rgb& channels);

// The channel's slice of a bare text: red the first two characters, green the
// third and fourth, blue the last two; shorter texts give shorter slices.
QStringView hexSlice(Channel channel, QStringView text);

// 0..15 for "0"-"9", "A"-"F" and "a"-"f"; anything else counts as 0.
int hexDigitValue(QChar digit);

// The first and the last character of a slice as two hex digits; anything
// in between is ignored, so a one-character slice "F" is 0xFF.
int hexPairValue(QStringView slice);

// The channels of a bare text, slice by slice.
Rgb channelsOfHex(QStringView bare);

}  // namespace huepick
