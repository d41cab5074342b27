// The current colour's text forms: channel values, hexadecimal colour text and
// the packed colour value (red in the lowest byte).
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

namespace huepick {

// red + 256 * green + 65536 * blue
constexpr std::int32_t color_value(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

// Six upper-case hex digits held inline: converting every colour value must not
// allocate, so that a full sweep of all 2^24 colours stays cheap.
struct HexText {
    std::array<char16_t, 6> digits{};
    QStringView view() const { return QStringView(digits.data(), digits.size()); }
    QString str() const { return view().toString(); }
};

// Upper-case hex digits of a channel value; one digit gets a leading "0".
// Values outside 0..255 are shown as their 16-bit two's complement digits.
QString channel_hex(std::int16_t value);

// "#" + the three channel_hex texts.
QString hex_of_channels(std::int16_t red, std::int16_t green, std::int16_t blue);

// The slice of a hex colour text for channel "R", "G" or "B"; any other letter
// (compared exactly, so "r" is not "R") gives an empty slice.
QStringView hex_part(QStringView letter, QStringView text);

// 0..15 for "0"-"9" and upper-case "A"-"F"; every other character, and the empty
// text, count as 0.
std::int16_t hex_digit(QStringView ch);

// hex_digit(first) * 16 + hex_digit(last); characters in between are ignored.
std::int16_t hex_pair(QStringView text);

// Bare hex colour text (no "#") of a packed colour value.
HexText color_to_hex(std::int32_t value);

}  // namespace huepick
