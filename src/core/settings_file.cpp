// SPDX-License-Identifier: MIT
#include "core/settings_file.h"

#include <QStringDecoder>

#include "core/blank_trim.h"
#include "core/regular_file.h"

namespace huepick {

namespace {

// A value ends at a NUL, as text read by C programs does. A leading U+FEFF is
// part of the value: it was not at the start of the file.
QString decoded(QByteArrayView bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(nul < 0 ? bytes : bytes.first(nul));
}

}  // namespace

SettingsFile::SettingsFile(QString path) : m_path(std::move(path)) {}

bool SettingsFile::load(QString* why) {
    const FileRead file = readRegularFile(m_path, kSizeLimit);
    m_usable = file.status != FileRead::Status::Refused;
    m_document = IniDocument(file.bytes);
    if (!m_usable && why != nullptr) {
        *why = file.why;
    }
    return m_usable;
}

std::optional<QString> SettingsFile::read(QStringView section, QStringView key) const {
    const auto value = m_document.value(section.toUtf8(), key.toUtf8());
    return value ? std::optional(decoded(*value)) : std::nullopt;
}

SettingsFile::Write SettingsFile::write(QStringView section, QStringView key, const QString& value,
                                        QString* why) {
    QString reason;
    if (trimBlanks(section).isEmpty() || trimBlanks(key).isEmpty() || trimBlanks(value).isEmpty()) {
        return Write::Blank;
    }
    if (!m_usable) {
        reason = QStringLiteral("the file could not be read at start");
    } else {
        // Start from the file as it is now, so that what others changed since
        // the start stays.
        const FileRead now = readRegularFile(m_path, kSizeLimit);
        if (now.status == FileRead::Status::Refused) {
            reason = now.why;
        } else {
            IniDocument document(now.bytes);
            const auto old = document.value(section.toUtf8(), key.toUtf8());
            if (old && decoded(*old) == trimBlanks(value)) {
                m_document = std::move(document);
                return Write::Unchanged;
            }
            document.setValue(section.toUtf8(), key.toUtf8(), value.toUtf8());
            if (replaceFile(m_path, document.bytes(), &reason)) {
                m_document = std::move(document);
                return Write::Written;
            }
        }
    }
    if (why != nullptr) {
        *why = reason;
    }
    return Write::Failed;
}

}  // namespace huepick
