// SPDX-License-Identifier: MIT
#include "core/ini_document.h"

#include <QString>
#include <algorithm>

#include "core/blank_trim.h"

namespace huepick {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

bool sameName(QByteArrayView a, QByteArrayView b) {
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

// The section a header line names, if it is one.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView trimmed = trimBlanks(line);
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    qsizetype close = trimmed.indexOf(']');
    if (close < 0) {
        close = trimmed.size();
    }
    return trimBlanks(trimmed.sliced(1, close - 1));
}

// Where the key of a "key=value" line ends, if the line is one.
std::optional<qsizetype> equalsAt(QByteArrayView line) {
    const QByteArrayView trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#')) {
        return std::nullopt;
    }
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? std::nullopt : std::optional(eq);
}

QByteArray oneLine(QByteArrayView text) {
    QByteArray out = text.toByteArray();
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return out;
}

}  // namespace

IniDocument::IniDocument(QByteArray bytes) : m_bytes(std::move(bytes)) {
    split();
}

void IniDocument::split() {
    m_lines.clear();
    // A byte-order mark belongs to no line; it stays where it is.
    qsizetype start = m_bytes.startsWith(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < m_bytes.size()) {
        qsizetype end = start;
        while (end < m_bytes.size() && m_bytes[end] != '\n' && m_bytes[end] != '\r') {
            ++end;
        }
        qsizetype endLength = 0;
        if (end < m_bytes.size()) {
            endLength = m_bytes[end] == '\r' && end + 1 < m_bytes.size() && m_bytes[end + 1] == '\n'
                            ? 2
                            : 1;
        }
        m_lines.push_back({start, end - start, endLength});
        start = end + endLength;
    }
}

QByteArrayView IniDocument::text(const Line& line) const {
    return QByteArrayView(m_bytes).sliced(line.start, line.length);
}

// New lines end as the file's lines do: CR LF where any line does, a lone CR
// in a file of lone CRs, else LF.
QByteArray IniDocument::lineEnd() const {
    if (m_bytes.contains("\r\n")) {
        return QByteArrayLiteral("\r\n");
    }
    if (m_bytes.contains('\r') && !m_bytes.contains('\n')) {
        return QByteArrayLiteral("\r");
    }
    return QByteArrayLiteral("\n");
}

// What must come before a line added after `line`: a line end where it has
// none, and where it ends in a lone CR that the file's line end is not, an LF
// that makes it a CR LF, so that readers who split at LF alone still see the
// added line as a line of its own.
QByteArray IniDocument::closing(const Line& line, const QByteArray& eol) const {
    if (line.endLength == 0) {
        return eol;
    }
    const bool loneCr = line.endLength == 1 && m_bytes[line.start + line.length] == '\r';
    return loneCr && eol != "\r" ? QByteArrayLiteral("\n") : QByteArray();
}

IniDocument::Found IniDocument::find(QByteArrayView section, QByteArrayView key) const {
    Found found;
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const QByteArrayView line = text(m_lines[i]);
        if (const auto name = sectionName(line)) {
            if (found.section) {
                break;  // only the first section of the name counts
            }
            inSection = sameName(*name, section);
            if (inSection) {
                found.section = found.lastContent = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trimBlanks(line).isEmpty()) {
            found.lastContent = i;
        }
        if (!found.key) {
            if (const auto eq = equalsAt(line); eq && sameName(trimBlanks(line.first(*eq)), key)) {
                found.key = i;
            }
        }
    }
    return found;
}

std::optional<QByteArray> IniDocument::value(QByteArrayView section, QByteArrayView key) const {
    const Found found = find(section, key);
    if (!found.key) {
        return std::nullopt;
    }
    const QByteArrayView line = text(m_lines[*found.key]);
    return trimBlanks(line.sliced(*equalsAt(line) + 1)).toByteArray();
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    const QByteArray safeSection = oneLine(section);
    const QByteArray safeKey = oneLine(key);
    const QByteArray safeValue = oneLine(value);
    const QByteArray eol = lineEnd();
    const Found found = find(safeSection, safeKey);
    if (found.key) {
        const Line& line = m_lines[*found.key];
        const qsizetype from = line.start + *equalsAt(text(line)) + 1;
        m_bytes.replace(from, line.start + line.length - from, safeValue);
    } else if (found.section) {
        const Line& after = m_lines[found.lastContent];
        m_bytes.insert(after.start + after.length + after.endLength,
                       closing(after, eol) + safeKey + '=' + safeValue + eol);
    } else {
        if (!m_lines.empty()) {
            m_bytes += closing(m_lines.back(), eol);
        }
        m_bytes += '[' + safeSection + ']' + eol + safeKey + '=' + safeValue + eol;
    }
    split();
}

}  // namespace huepick
