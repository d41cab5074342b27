// Fuzzes the hexadecimal paths: hex_digit, hex_pair, hex_part, parse_hex_entry,
// color_to_hex and channel_hex on arbitrary text. The input is read twice: as
// UTF-8 (what a user types) and as raw UTF-16 code units (lone surrogates
// included).
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/colour.h"
#include "core/notations.h"

#define REQUIRE(ok) ((ok) ? void() : fail(#ok, __LINE__))

namespace {

using huepick::color_to_hex;
using huepick::color_value;
using huepick::hex_digit;
using huepick::hex_pair;
using huepick::hex_part;
using huepick::parse_hex_entry;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    std::abort();
}

// Written out independently of the product code.
int digit_value(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return 0;
}

int pair_value(QStringView text) {
    if (text.isEmpty()) {
        return 0;
    }
    return digit_value(text.front().unicode()) * 16 + digit_value(text.back().unicode());
}

bool within(QStringView part, QStringView whole) {
    return part.isEmpty() || (part.data() >= whole.data() &&
                              part.data() + part.size() <= whole.data() + whole.size());
}

void check_text(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::int16_t d = hex_digit(text.mid(i, 1));
        REQUIRE(d == digit_value(text[i].unicode()));
    }
    // hex_digit looks at the first character only.
    REQUIRE(hex_digit(text) == (text.isEmpty() ? 0 : digit_value(text.front().unicode())));

    const std::int16_t pair = hex_pair(text);
    REQUIRE(pair >= 0 && pair <= 255);
    REQUIRE(pair == pair_value(text));

    const QStringView red = hex_part(u"R", text);
    const QStringView green = hex_part(u"G", text);
    const QStringView blue = hex_part(u"B", text);
    REQUIRE(red == text.left(2) && within(red, text));
    REQUIRE(blue == text.right(2) && within(blue, text));
    REQUIRE(green == (text.size() < 3 ? QStringView() : text.mid(2, 2)) && within(green, text));
    for (const char16_t* other : {u"", u"r", u"g", u"b", u"RG", u"X", u"R "}) {
        REQUIRE(hex_part(other, text).isEmpty());
    }
    // The channel letter may come from anywhere too.
    if (!text.isEmpty()) {
        const QStringView letter = text.left(1);
        const bool known = letter == u"R" || letter == u"G" || letter == u"B";
        REQUIRE(known || hex_part(letter, text).isEmpty());
    }

    const auto entry = parse_hex_entry(text);
    REQUIRE(entry.has_value() == (text.size() == 7));
    if (entry) {
        const QStringView six = text.mid(1);
        const int expected[3] = {pair_value(six.mid(0, 2)), pair_value(six.mid(2, 2)),
                                 pair_value(six.mid(4, 2))};
        for (int i = 0; i < 3; ++i) {
            REQUIRE((*entry)[i] == expected[i]);
        }
        // What find_hex writes for these channels reads back as the same colour.
        const QString shown = huepick::hex_of_channels((*entry)[0], (*entry)[1], (*entry)[2]);
        REQUIRE(shown.size() == 7 && shown.front() == u'#');
        REQUIRE(parse_hex_entry(shown) == entry);
        const huepick::HexText bare =
            color_to_hex(color_value((*entry)[0], (*entry)[1], (*entry)[2]));
        REQUIRE(bare.view() == QStringView(shown).mid(1));
    }
}

void check_value(std::int32_t value) {
    // Any 32-bit value converts without undefined behaviour to six hex digits.
    const huepick::HexText hex = color_to_hex(value);
    for (char16_t c : hex.digits) {
        REQUIRE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    }
    if (value >= 0 && value <= 0xFFFFFF) {
        const QStringView v = hex.view();
        REQUIRE(hex_pair(hex_part(u"R", v)) == (value & 0xFF));
        REQUIRE(hex_pair(hex_part(u"G", v)) == ((value >> 8) & 0xFF));
        REQUIRE(hex_pair(hex_part(u"B", v)) == ((value >> 16) & 0xFF));
    }
    const auto channel = static_cast<std::int16_t>(value);
    const QString digits = huepick::channel_hex(channel);
    REQUIRE(digits.size() >= 2 && digits.size() <= 4);
    if (channel >= 0 && channel <= 255) {
        REQUIRE(digits.size() == 2 && hex_pair(digits) == channel);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString utf8 =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check_text(utf8);

    QString raw(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(raw.data(), data, (size / 2) * 2);
    check_text(raw);

    if (size >= 4) {
        std::int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        check_value(value);
    }
    return 0;
}
