// SPDX-License-Identifier: MIT
// Readable Qt values in test failure messages.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringView>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(QStringView text, std::ostream* os) {
    PrintTo(text.toString(), os);
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << "\" (" << bytes.size() << " bytes)";
}
inline void PrintTo(const QColor& colour, std::ostream* os) {
    *os << colour.name().toStdString();
}
