#include "core/notations.h"

#include "core/colour.h"

namespace huepick {

std::optional<QString> notation_text(int key_code, const QString& hex, const QString& red,
                                     const QString& green, const QString& blue) {
    static const char* const kHexForms[] = {"color = ",  "color:",     "text = ",
                                            "link = ",   "vlink = ",   "alink = ",
                                            "bordercolor = ", "bgcolor = "};
    if (key_code >= 112 && key_code <= 119) {
        QString text = QLatin1String(kHexForms[key_code - 112]) + hex;
        if (key_code == 113) {
            text += u';';
        }
        return text;
    }
    if (key_code == 120 || key_code == 121) {
        const QString call = QStringLiteral("RGB(") + red + u',' + green + u',' + blue + u')';
        return (key_code == 120 ? QStringLiteral(".forecolor = ") : QStringLiteral(".backcolor = ")) +
               call;
    }
    return std::nullopt;
}

std::optional<std::array<std::int16_t, 3>> parse_hex_entry(QStringView text) {
    if (text.size() != 7) {
        return std::nullopt;
    }
    const QStringView six = text.mid(1);
    return std::array<std::int16_t, 3>{hex_pair(hex_part(u"R", six)), hex_pair(hex_part(u"G", six)),
                                       hex_pair(hex_part(u"B", six))};
}

}  // namespace huepick
