// SPDX-License-Identifier: MIT
#include "core/notations.h"

namespace huepick {

QString notationText(int number, const QString& hex, const std::array<QString, 3>& channels) {
    static constexpr const char* kHexForms[] = {
        "color = ", "color:",   "text = ",        "link = ",
        "vlink = ", "alink = ", "bordercolor = ", "bgcolor = "};
    if (number >= 1 && number <= 8) {
        QString text = QLatin1String(kHexForms[number - 1]) + hex;
        if (number == 2) {
            text += u';';
        }
        return text;
    }
    if (number == 9 || number == 10) {
        return QLatin1String(number == 9 ? ".forecolor = RGB(" : ".backcolor = RGB(") +
               channels[0] + u',' + channels[1] + u',' + channels[2] + u')';
    }
    return {};
}

}  // namespace huepick
