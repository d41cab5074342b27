// Single values of INI profile files: the reader and writer the settings
// module stands on.
#pragma once

#include <QByteArray>
#include <QString>

namespace huepick::profile {

// Longest value a read hands back; longer values are cut here, which keeps a
// corrupt file with a huge line from stalling the caller's growing-buffer loop.
constexpr int kMaxValueLength = 32767;

// Copies the value of `key` in `section` (matched without regard to case, value
// trimmed), or `fallback` when the file, section or key is missing, into
// `buffer`: at most buffer.size() - 1 bytes followed by a NUL; bytes after the
// NUL are left as they were. Returns the number of bytes copied without the NUL.
int get_string(const QByteArray& section, const QByteArray& key, const QByteArray& fallback,
               QByteArray& buffer, const QString& file);

// Sets `key` in `section` to `value`, creating the file, section and key as
// needed and keeping every other byte of the file. The file is replaced
// atomically, so a crash or a full disk leaves the old file whole.
bool write_string(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                  const QString& file);

}  // namespace huepick::profile
