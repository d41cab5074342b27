#include "core/profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace huepick::profile {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

QByteArray trim_blanks(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && is_blank(text[begin])) {
        ++begin;
    }
    while (end > begin && is_blank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin).toByteArray();
}

bool same_name(QByteArrayView a, QByteArrayView b) {
    return QString::fromLocal8Bit(a).compare(QString::fromLocal8Bit(b), Qt::CaseInsensitive) == 0;
}

// One line of the file: its bytes without the line end, and where it sits.
struct Line {
    qsizetype start;       // first byte
    qsizetype length;      // bytes before the line end
    qsizetype end_length;  // 0 (last line without one), 1 ("\n") or 2 ("\r\n")
};

std::vector<Line> split_lines(const QByteArray& data) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({start, data.size() - start, 0});
            break;
        }
        const bool cr = nl > start && data[nl - 1] == '\r';
        lines.push_back({start, nl - start - (cr ? 1 : 0), cr ? 2 : 1});
        start = nl + 1;
    }
    return lines;
}

QByteArrayView line_text(const QByteArray& data, const Line& line) {
    return QByteArrayView(data).sliced(line.start, line.length);
}

// The section a header line names, if it is one.
std::optional<QByteArray> section_name(QByteArrayView text) {
    const QByteArray trimmed = trim_blanks(text);
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    qsizetype close = trimmed.indexOf(']');
    if (close < 0) {
        close = trimmed.size();
    }
    return trim_blanks(QByteArrayView(trimmed).sliced(1, close - 1));
}

// Where the key of a "key = value" line ends, if the line is one.
std::optional<qsizetype> equals_at(QByteArrayView text) {
    const QByteArray trimmed = trim_blanks(text);
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#')) {
        return std::nullopt;
    }
    const qsizetype eq = text.indexOf('=');
    return eq < 0 ? std::nullopt : std::optional<qsizetype>(eq);
}

struct Found {
    std::optional<std::size_t> section_line;
    std::optional<std::size_t> key_line;
    std::size_t last_content_line = 0;  // last non-blank line of the section
};

Found find_key(const QByteArray& data, const std::vector<Line>& lines, QByteArrayView section,
               QByteArrayView key) {
    Found found;
    bool in_section = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = line_text(data, lines[i]);
        if (const auto name = section_name(text)) {
            if (found.section_line) {
                if (in_section) {
                    break;  // the first section of that name is the one used
                }
                continue;
            }
            in_section = same_name(*name, section);
            if (in_section) {
                found.section_line = i;
                found.last_content_line = i;
            }
            continue;
        }
        if (!in_section) {
            continue;
        }
        if (!trim_blanks(text).isEmpty()) {
            found.last_content_line = i;
        }
        if (!found.key_line) {
            if (const auto eq = equals_at(text); eq && same_name(trim_blanks(text.first(*eq)), key)) {
                found.key_line = i;
            }
        }
    }
    return found;
}

QByteArray one_line(QByteArrayView text) {
    // A line break or NUL inside a name or value would split the line and
    // plant text of its own in the file.
    QByteArray out = text.toByteArray();
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return out;
}

}  // namespace

int get_string(const QByteArray& section, const QByteArray& key, const QByteArray& fallback,
               QByteArray& buffer, const QString& file) {
    QByteArray value = trim_blanks(fallback);
    QFile in(file);
    if (!QFileInfo(file).isDir() && in.open(QIODevice::ReadOnly)) {
        const QByteArray data = in.readAll();
        const std::vector<Line> lines = split_lines(data);
        const Found found = find_key(data, lines, section, key);
        if (found.key_line) {
            const QByteArrayView text = line_text(data, lines[*found.key_line]);
            value = trim_blanks(text.sliced(*equals_at(text) + 1));
        }
    }
    if (buffer.isEmpty()) {
        return 0;
    }
    const qsizetype copied =
        std::min<qsizetype>({value.size(), buffer.size() - 1, qsizetype{kMaxValueLength}});
    std::memcpy(buffer.data(), value.constData(), static_cast<std::size_t>(copied));
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

bool write_string(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                  const QString& file) {
    QByteArray data;
    if (QFileInfo(file).isDir()) {
        return false;
    }
    if (QFile in(file); in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) {
            return false;  // never replace a file we could not read
        }
        data = in.readAll();
    }
    const std::vector<Line> lines = split_lines(data);
    const QByteArray eol = data.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    // Ending a last line that closes with a lone CR by "\n" alone would make
    // that CR part of the line end and change the line's value.
    const QByteArray closing = data.endsWith('\r') ? QByteArray("\r\n") : eol;
    const QByteArray safe_section = one_line(section);
    const QByteArray safe_key = one_line(key);
    const QByteArray safe_value = one_line(value);
    const Found found = find_key(data, lines, safe_section, safe_key);

    QByteArray out;
    if (found.key_line) {
        const Line& line = lines[*found.key_line];
        const qsizetype eq = *equals_at(line_text(data, line));
        out = data.first(line.start + eq + 1) + safe_value + data.sliced(line.start + line.length);
    } else if (found.section_line) {
        const Line& after = lines[found.last_content_line];
        qsizetype insert_at = after.start + after.length + after.end_length;
        QByteArray added = safe_key + '=' + safe_value + eol;
        if (after.end_length == 0) {
            added.prepend(closing);
        }
        out = data.first(insert_at) + added + data.sliced(insert_at);
    } else {
        out = data;
        if (!out.isEmpty() && !out.endsWith('\n')) {
            out += closing;
        }
        out += '[' + safe_section + ']' + eol + safe_key + '=' + safe_value + eol;
    }

    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly)) {
        return false;
    }
    save.write(out);
    return save.commit();
}

}  // namespace huepick::profile
