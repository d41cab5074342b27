// SPDX-License-Identifier: MIT
// Whole files and the INI settings the program keeps in them.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace e2e {

// The whole file; nullopt when it cannot be read.
std::optional<QByteArray> readFile(const QString& path);
// Replaces the file's content; false when it cannot be written whole.
bool writeFile(const QString& path, const QByteArray& content);

// The value of `key` in `section` of an INI text; section and key match
// without regard to case.
std::optional<QString> iniValueOf(const QByteArray& text, const QString& section,
                                  const QString& key);
// The same for an INI file; nullopt also when the file cannot be read.
std::optional<QString> iniValue(const QString& path, const QString& section, const QString& key);

}  // namespace e2e
