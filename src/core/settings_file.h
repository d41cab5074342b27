// SPDX-License-Identifier: MIT
// The settings file: read once, answered from memory, written atomically.
// Names match without regard to case; every byte the program does not set
// stays as it was.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "core/ini_document.h"

namespace huepick {

class SettingsFile {
public:
    // Larger files are no settings file of ours; reading them whole would only
    // stall the start.
    static constexpr qint64 kSizeLimit = qint64{1} << 20;

    explicit SettingsFile(QString path);

    const QString& path() const { return m_path; }

    // Reads the file. A missing file is an empty one. A file that cannot be
    // used (no regular file, too large, unreadable) gives false and `why`; it
    // is then never written, so whatever it is stays untouched.
    bool load(QString* why = nullptr);

    // The value, trimmed of blanks; nothing when the section or key is missing.
    std::optional<QString> read(QStringView section, QStringView key) const;

    enum class Write { Written, Unchanged, Blank, Failed };
    // Stores the value. A blank section, key or value writes nothing (Blank);
    // a value equal to the one in the file leaves the file alone (Unchanged).
    // A later read returns what was written.
    Write write(QStringView section, QStringView key, const QString& value, QString* why = nullptr);

private:
    QString m_path;
    IniDocument m_document;
    bool m_usable = true;
};

}  // namespace huepick
