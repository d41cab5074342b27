// SPDX-License-Identifier: MIT
#include "harness/files.h"

#include <QFile>

namespace e2e {

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

std::optional<QString> iniValueOf(const QByteArray& text, const QString& section,
                                  const QString& key) {
    bool inSection = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inSection && eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line.mid(eq + 1).trimmed();
        }
    }
    return std::nullopt;
}

std::optional<QString> iniValue(const QString& path, const QString& section, const QString& key) {
    const std::optional<QByteArray> text = readFile(path);
    return text ? iniValueOf(*text, section, key) : std::nullopt;
}

}  // namespace e2e
