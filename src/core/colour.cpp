#include "core/colour.h"

namespace huepick {

namespace {
constexpr char16_t kDigits[] = u"0123456789ABCDEF";
}

QString channel_hex(std::int16_t value) {
    QString digits = QString::number(static_cast<std::uint16_t>(value), 16).toUpper();
    if (digits.size() == 1) {
        digits.prepend(u'0');
    }
    return digits;
}

QString hex_of_channels(std::int16_t red, std::int16_t green, std::int16_t blue) {
    return u'#' + channel_hex(red) + channel_hex(green) + channel_hex(blue);
}

QStringView hex_part(QStringView letter, QStringView text) {
    if (letter == u"R") {
        return text.left(2);
    }
    if (letter == u"G") {
        return text.size() < 3 ? QStringView() : text.mid(2, 2);
    }
    if (letter == u"B") {
        return text.right(2);
    }
    return {};
}

std::int16_t hex_digit(QStringView ch) {
    if (ch.isEmpty()) {
        return 0;
    }
    const char16_t c = ch.front().unicode();
    if (c >= u'0' && c <= u'9') {
        return static_cast<std::int16_t>(c - u'0');
    }
    if (c >= u'A' && c <= u'F') {
        return static_cast<std::int16_t>(c - u'A' + 10);
    }
    return 0;
}

std::int16_t hex_pair(QStringView text) {
    if (text.isEmpty()) {
        return 0;
    }
    return static_cast<std::int16_t>(hex_digit(text.left(1)) * 16 + hex_digit(text.right(1)));
}

HexText color_to_hex(std::int32_t value) {
    // Truncating division and a remainder with the dividend's sign; only the
    // low byte of each channel is shown, which is the whole channel in range.
    const int channels[3] = {value % 256, (value / 256) % 256, (value / 65536) % 256};
    HexText out;
    for (int i = 0; i < 3; ++i) {
        const unsigned byte = static_cast<unsigned>(channels[i]) & 0xFFu;
        out.digits[2 * i] = kDigits[byte >> 4];
        out.digits[2 * i + 1] = kDigits[byte & 0xFu];
    }
    return out;
}

}  // namespace huepick
