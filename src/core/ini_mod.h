// Settings file access with a small read cache: one file at a time, any
// section, key and default.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

namespace huepick {

struct IniCacheEntry {
    QString section;  // upper case, cut or padded with spaces to 40 characters
    QString key;      // the same
    QString value;
};

class IniMod {
public:
    void ini_set_file(const QString& path);
    QString ini_read(const QString& section, const QString& key, const QString& default_value);
    // 0 when nothing was written, otherwise the write's success flag.
    std::int16_t ini_write(const QString& section, const QString& key, const QString& value);

    std::int16_t ini_read_file(const QString& section, const QString& key,
                               const QString& default_value, QString& value);
    QString ini_cache_find(const QString& section, const QString& key) const;
    static QString cut_at_nul(const QString& text);

    // For inspection.
    std::int16_t cache_count() const { return ini_cache_count; }
    qsizetype cache_highest_index() const { return ini_cache.size() - 1; }
    const QList<IniCacheEntry>& cache() const { return ini_cache; }
    int file_reads() const { return file_reads_; }

private:
    QString ini_file;
    QList<IniCacheEntry> ini_cache;
    std::int16_t ini_cache_count = 0;
    int file_reads_ = 0;
};

}  // namespace huepick
