// SPDX-License-Identifier: MIT
// Fuzzes the hexadecimal paths: hexDigitValue, hexPairValue, hexSlice,
// channelsOfHex, hexOf and Enter in the hex field (ColourModel::applyHex) on
// arbitrary text. The input is read twice: as UTF-8 (what a user types) and
// as raw UTF-16 code units (lone surrogates included). Its first three bytes
// are also the colour the model shows before the text is applied.
#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/colour_model.h"
#include "core/hex_text.h"

#define REQUIRE(ok) ((ok) ? void() : fail(#ok, __LINE__))

namespace {

using huepick::Channel;
using huepick::Rgb;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    std::abort();
}

// Written out independently of the product code.
int digitValue(char16_t c) {
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

int pairValue(QStringView text) {
    if (text.isEmpty()) {
        return 0;
    }
    return digitValue(text.front().unicode()) * 16 + digitValue(text.back().unicode());
}

// Red the first two characters, green the third and fourth, blue the last two.
QStringView referenceSlice(int channel, QStringView text) {
    switch (channel) {
        case 0:
            return text.size() <= 2 ? text : text.first(2);
        case 1:
            return text.size() < 3 ? QStringView()
                                   : text.sliced(2, std::min<qsizetype>(2, text.size() - 2));
        default:
            return text.size() <= 2 ? text : text.last(2);
    }
}

bool within(QStringView part, QStringView whole) {
    return part.isEmpty() || (part.data() >= whole.data() &&
                              part.data() + part.size() <= whole.data() + whole.size());
}

QString upperHex(const Rgb& rgb) {
    return QString::asprintf("#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
}

void checkText(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        REQUIRE(huepick::hexDigitValue(text[i]) == digitValue(text[i].unicode()));
    }
    const int pair = huepick::hexPairValue(text);
    REQUIRE(pair >= 0 && pair <= 255);
    REQUIRE(pair == pairValue(text));

    Rgb expected{};
    for (int c = 0; c < 3; ++c) {
        const QStringView slice = huepick::hexSlice(huepick::kChannels[c], text);
        REQUIRE(slice == referenceSlice(c, text) && within(slice, text));
        expected[c] = pairValue(referenceSlice(c, text));
    }
    REQUIRE(huepick::channelsOfHex(text) == expected);
}

// Enter in the hex field holding `text`, with the model showing `start`.
void checkEnter(QStringView text, const Rgb& start) {
    // One model for the whole run; a pick sets every part that Enter reads
    // or writes.
    static huepick::ColourModel model;
    static int changes = 0;
    [[maybe_unused]] static const auto kCounting =
        QObject::connect(&model, &huepick::ColourModel::changed, [] { ++changes; });
    model.pick(qRgb(start[0], start[1], start[2]));
    model.editHex(text.toString());
    changes = 0;
    model.applyHex();

    if (text.size() != 7) {
        REQUIRE(changes == 0);
        REQUIRE(model.values() == start && model.hexText() == text);
        return;
    }
    // The first character is not looked at.
    Rgb typed{};
    for (int c = 0; c < 3; ++c) {
        typed[c] = pairValue(text.sliced(1 + 2 * c, 2));
    }
    REQUIRE(model.values() == typed);
    for (int c = 0; c < 3; ++c) {
        REQUIRE(model.text(huepick::kChannels[c]) == QString::number(typed[c]));
    }
    REQUIRE(changes == (typed == start ? 0 : 1));
    // A changed colour rewrites the field; the same colour keeps the text.
    REQUIRE(model.hexText() == (typed == start ? text.toString() : upperHex(typed)));
    // What the field then shows reads back as the same colour.
    model.editHex(upperHex(typed));
    model.applyHex();
    REQUIRE(model.values() == typed && model.hexText() == upperHex(typed));
}

void checkHexOf(const std::uint8_t* bytes) {
    const Rgb rgb{bytes[0], bytes[1], bytes[2]};
    const QString hex = huepick::hexOf(rgb);
    REQUIRE(hex == upperHex(rgb));
    REQUIRE(huepick::channelsOfHex(QStringView(hex).sliced(1)) == rgb);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rgb start{};
    if (size >= 3) {
        checkHexOf(data);
        start = {data[0], data[1], data[2]};
    }
    const QString utf8 =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkText(utf8);
    checkEnter(utf8, start);

    QString raw(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(raw.data(), data, (size / 2) * 2);
    checkText(raw);
    checkEnter(raw, start);
    return 0;
}
