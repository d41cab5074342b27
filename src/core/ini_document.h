// SPDX-License-Identifier: MIT
// The text of an INI file as bytes, read and edited in place: sections
// "[name]", "key=value" lines, names matched without regard to case, values
// trimmed of blanks. An edit changes only the bytes of the value it sets (or
// adds one line), so comments, other sections, a byte-order mark, the file's
// own line ends and bytes that are no valid text all stay as they were.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

namespace huepick {

class IniDocument {
public:
    explicit IniDocument(QByteArray bytes = {});

    const QByteArray& bytes() const { return m_bytes; }

    // The value's bytes, trimmed; nothing when the section or key is missing.
    // The first section of a name is the one used.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Sets the key's value, adding the key (at the end of its section) or the
    // section (at the end of the file) as needed. Line breaks and NULs in the
    // arguments become spaces, so no argument can add lines of its own.
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

private:
    struct Line {
        qsizetype start;      // first byte of the line's text
        qsizetype length;     // bytes of text, without the line end
        qsizetype endLength;  // 0 (last line without one), 1 ("\n" or "\r") or 2 ("\r\n")
    };
    struct Found {
        std::optional<std::size_t> section;
        std::optional<std::size_t> key;
        std::size_t lastContent = 0;  // the section's last line that is not blank
    };

    QByteArrayView text(const Line& line) const;
    Found find(QByteArrayView section, QByteArrayView key) const;
    QByteArray lineEnd() const;
    QByteArray closing(const Line& line, const QByteArray& eol) const;
    void split();

    QByteArray m_bytes;
    std::vector<Line> m_lines;
};

}  // namespace huepick
