// The texts the function keys copy, and the parsing of a typed hex colour.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace huepick {

// The notation for key code 112 (F1) to 121 (F10), built from the hex field's
// text and the three channel fields' texts, all taken as they are.
std::optional<QString> notation_text(int key_code, const QString& hex, const QString& red,
                                     const QString& green, const QString& blue);

// The channels of a typed hex colour: exactly 7 characters, the first one not
// examined, unknown digits (lower case too) counting as 0. Any other length
// gives nothing.
std::optional<std::array<std::int16_t, 3>> parse_hex_entry(QStringView text);

}  // namespace huepick
