// SPDX-License-Identifier: MIT
#include "core/hex_text.h"

namespace huepick {

QString hexOf(const Rgb& channels) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString text(7, u'#');
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const auto byte = static_cast<unsigned>(channels[i]) & 0xFFu;
        text[1 + 2 * i] = kDigits[byte >> 4];
        text[2 + 2 * i] = kDigits[byte & 0xFu];
    }
    return text;
}

QStringView hexSlice(Channel channel, QStringView text) {
    switch (channel) {
        case Channel::Red:
            return text.left(2);
        case Channel::Green:
            return text.size() < 3 ? QStringView() : text.mid(2, 2);
        case Channel::Blue:
            return text.right(2);
    }
    return {};
}

int hexDigitValue(QChar digit) {
    const char16_t c = digit.unicode();
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    return 0;
}

int hexPairValue(QStringView slice) {
    return slice.isEmpty() ? 0 : hexDigitValue(slice.front()) * 16 + hexDigitValue(slice.back());
}

Rgb channelsOfHex(QStringView bare) {
    Rgb rgb{};
    for (Channel c : kChannels) {
        rgb[indexOf(c)] = hexPairValue(hexSlice(c, bare));
    }
    return rgb;
}

}  // namespace huepick
