#include "core/ini_mod.h"

#include "core/profile_file.h"

namespace huepick {

namespace {

constexpr qsizetype kNameWidth = 40;
constexpr qsizetype kBufferStep = 512;
constexpr std::int16_t kCacheStep = 20;

QString trim_spaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == u' ') {
        --end;
    }
    return text.sliced(begin, end - begin);
}

// The cache compares names by their first 40 characters, in upper case.
QString probe(const QString& name) {
    return name.toUpper().left(kNameWidth).leftJustified(kNameWidth, u' ');
}

QString path_of(const QString& ini_file) { return IniMod::cut_at_nul(ini_file); }

}  // namespace

void IniMod::ini_set_file(const QString& path) { ini_file = path + QChar(u'\0'); }

QString IniMod::ini_read(const QString& section, const QString& key,
                         const QString& default_value) {
    QString value;
    if (trim_spaces(ini_file).isEmpty()) {
        value = trim_spaces(default_value);
    } else {
        value = ini_cache_find(section, key);
        if (value.isEmpty()) {
            ini_read_file(section, key, default_value, value);
        }
    }
    return cut_at_nul(value);
}

std::int16_t IniMod::ini_read_file(const QString& section, const QString& key,
                                   const QString& default_value, QString& value) {
    const QByteArray section_bytes = section.toLocal8Bit();
    const QByteArray key_bytes = key.toLocal8Bit();
    const QByteArray default_bytes = default_value.toLocal8Bit();
    QByteArray buffer;
    int copied = 0;
    // A value that fills the buffer leaves its NUL in the last place; grow and
    // ask again until a space is left over at the end.
    do {
        buffer.append(kBufferStep, ' ');
        ++file_reads_;
        copied = profile::get_string(section_bytes, key_bytes, default_bytes, buffer,
                                     path_of(ini_file));
    } while (buffer.back() != ' ');
    value = trim_spaces(cut_at_nul(QString::fromLocal8Bit(buffer)));

    if (ini_cache_count == INT16_MAX) {
        return static_cast<std::int16_t>(copied);  // the 16-bit count is full: answer uncached
    }
    if (ini_cache_count == 0) {
        ini_cache = QList<IniCacheEntry>(kCacheStep + 1);
    }
    if (cache_highest_index() == ini_cache_count) {
        ini_cache.resize(ini_cache_count + kCacheStep + 1);
    }
    ini_cache[ini_cache_count] = {probe(section), probe(key), value};
    ++ini_cache_count;
    return static_cast<std::int16_t>(copied);
}

QString IniMod::ini_cache_find(const QString& section, const QString& key) const {
    if (ini_cache_count == 0) {
        return {};
    }
    const QString section_probe = probe(section);
    const QString key_probe = probe(key);
    for (std::int16_t i = 0; i < ini_cache_count; ++i) {
        const IniCacheEntry& entry = ini_cache[i];
        if (entry.section == section_probe && entry.key == key_probe) {
            return trim_spaces(entry.value);
        }
    }
    return {};
}

std::int16_t IniMod::ini_write(const QString& section, const QString& key, const QString& value) {
    if (trim_spaces(ini_file).isEmpty()) {
        return 0;
    }
    if (trim_spaces(key).isEmpty() || trim_spaces(value).isEmpty() ||
        trim_spaces(section).isEmpty()) {
        return 0;
    }
    return profile::write_string(section.toLocal8Bit(), key.toLocal8Bit(), value.toLocal8Bit(),
                                 path_of(ini_file))
               ? 1
               : 0;
}

QString IniMod::cut_at_nul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace huepick
