#include "core/colour_log.h"

#include <QFile>

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

QByteArray log_record(const QString& hex) {
    const QString h = escaped(hex);
    const QString text = QStringLiteral("<FONT FACE=arial SIZE=3 COLOR=") + h +
                         QStringLiteral("><B>") + h +
                         QStringLiteral("</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>");
    return '"' + text.toLocal8Bit() + "\"\r\n\r\n";
}

bool append_log_record(const QString& path, const QString& hex, QString* error) {
    const QByteArray record = log_record(hex);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    const qint64 size_before = file.size();
    const bool written = file.write(record) == record.size() && file.flush();
    if (!written) {
        // A short write (full disk) must not leave half a record behind.
        if (error) {
            *error = file.errorString();
        }
        file.resize(size_before);
    }
    file.close();
    return written;
}

}  // namespace huepick
