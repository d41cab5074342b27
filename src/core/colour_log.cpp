// SPDX-License-Identifier: MIT
#include "core/colour_log.h"

#include "core/regular_file.h"

namespace huepick {

namespace {
QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                out += QLatin1String("&amp;");
                break;
            case u'<':
                out += QLatin1String("&lt;");
                break;
            case u'>':
                out += QLatin1String("&gt;");
                break;
            case u'"':
                out += QLatin1String("&quot;");
                break;
            default:
                out += c;
        }
    }
    return out;
}
}  // namespace

QByteArray logRecord(const QString& hex) {
    const QString h = escaped(hex);
    const QString text = QStringLiteral("<FONT FACE=arial SIZE=3 COLOR=") + h +
                         QStringLiteral("><B>") + h +
                         QStringLiteral("</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>");
    return '"' + text.toLocal8Bit() + "\"\r\n\r\n";
}

bool appendLogRecord(const QString& path, const QString& hex, QString* why) {
    return appendToFile(path, logRecord(hex), why);
}

}  // namespace huepick
