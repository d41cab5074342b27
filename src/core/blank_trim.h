// SPDX-License-Identifier: MIT
// Blanks (spaces and tabs) around names and values, in bytes or in text.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace huepick {

template <class View>
View trimBlanks(View text) {
    const auto blank = [](auto c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

inline QByteArrayView trimBlanks(const QByteArray& bytes) {
    return trimBlanks(QByteArrayView(bytes));
}

inline QStringView trimBlanks(const QString& text) {
    return trimBlanks(QStringView(text));
}

}  // namespace huepick
