// SPDX-License-Identifier: MIT
// Fuzzes the INI reader and writer (IniDocument) and the settings file on
// disk (SettingsFile) on arbitrary file bytes.
//
// Input: six header lines, then the file's bytes:
//   (ignored), section, key, value, other section, other key
// The first line is unused; older inputs carried a buffer size there. With
// fewer than six lines there is no file at all.
//
// Checked for every input: a value reads back trimmed, on one line and the
// same every time; setting any value adds at most the two lines of a new
// section and its key, whatever line breaks or NULs the arguments hold. For
// a section and key the file format can hold and a single-line value: the
// value reads back trimmed, only one line of the file changes (plus added
// line ends), values under other names read as before, and setting the same
// value again changes nothing. For names and values that are valid UTF-8,
// the settings file reads what the document reads, writes exactly the bytes
// the document holds after the edit, and leaves the file alone for a blank
// or an equal value.
#include <unistd.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/ini_document.h"
#include "core/settings_file.h"

#define REQUIRE(ok) ((ok) ? void() : fail(#ok, __LINE__))

namespace {

using huepick::IniDocument;
using huepick::SettingsFile;
using Value = std::optional<QByteArray>;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    std::abort();
}

// One scratch folder per fuzzing process, on tmpfs when there is one: the
// writer syncs each file it replaces.
char g_scratchFolder[4096];

void removeScratchFolder() {
    QDir(QString::fromLocal8Bit(g_scratchFolder)).removeRecursively();
}

const QString& scratchFile() {
    static const QString kPath = [] {
        QByteArray base = qgetenv("TMPDIR");
        if (base.isEmpty()) {
            base = QDir("/dev/shm").exists() ? "/dev/shm" : "/tmp";
        }
        const QByteArray pattern = base + "/huepick-fuzz-XXXXXX";
        REQUIRE(pattern.size() < qsizetype{sizeof g_scratchFolder});
        std::memcpy(g_scratchFolder, pattern.constData(), pattern.size() + 1);
        REQUIRE(mkdtemp(g_scratchFolder) != nullptr);
        std::atexit(removeScratchFolder);
        return QString::fromLocal8Bit(g_scratchFolder) + QStringLiteral("/fuzz.ini");
    }();
    return kPath;
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimmed(const QByteArray& text) {
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

bool lineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Names are compared as the reader compares them.
bool sameName(const QByteArray& a, const QByteArray& b) {
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

bool oneLine(const QByteArray& text) {
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

// A value's text as the program shows it: up to a NUL, and a leading U+FEFF
// kept, since it was not at the start of the file.
QString textOf(QByteArrayView bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(nul < 0 ? bytes : bytes.first(nul));
}

bool validUtf8(const QByteArray& text) {
    return textOf(text).toUtf8() == text;
}

// A section name that a "[name]" header gives back unchanged.
bool holdableSection(const QByteArray& name) {
    return oneLine(name) && !name.contains(']') && trimmed(name) == name;
}

// A key that a "key=value" line gives back unchanged, and that is not read as
// a comment or a section header.
bool holdableKey(const QByteArray& name) {
    return oneLine(name) && !name.contains('=') && trimmed(name) == name && !name.startsWith(';') &&
           !name.startsWith('#') && !name.startsWith('[');
}

// Lines as any reader counts them: CR LF, a lone CR and a lone LF each end
// one; text after the last line end is one more line.
qsizetype lineCount(QByteArrayView bytes) {
    qsizetype lines = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++lines;
        }
    }
    return lines + (bytes.isEmpty() || lineBreak(bytes.back()) ? 0 : 1);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

// Only the bytes of one line differ, apart from added bytes.
void requireOneLineChanged(const QByteArray& before, const QByteArray& after) {
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const QByteArrayView removed =
        QByteArrayView(before).sliced(prefix, before.size() - prefix - suffix);
    REQUIRE(!removed.contains('\n') && !removed.contains('\r'));
}

Value read(const IniDocument& doc, const QByteArray& section, const QByteArray& key) {
    const Value value = doc.value(section, key);
    if (value) {
        REQUIRE(trimmed(*value) == *value);
        REQUIRE(!value->contains('\n') && !value->contains('\r'));
    }
    REQUIRE(doc.value(section, key) == value);
    return value;
}

// The settings file on disk agrees with the document: it reads what the
// document reads and writes what the document holds after the edit.
void checkSettingsFile(const QByteArray& fileBytes, bool hasFile, const QByteArray& section,
                       const QByteArray& key, const QByteArray& value, const IniDocument& edited) {
    const QString& path = scratchFile();
    // As the values: QString::fromUtf8 would drop a leading byte-order mark,
    // which the document keeps as part of the name.
    const QString s = textOf(section);
    const QString k = textOf(key);
    const QString v = textOf(value);
    SettingsFile settings(path);
    REQUIRE(settings.load());
    const Value before = IniDocument(fileBytes).value(section, key);
    const std::optional<QString> shown = settings.read(s, k);
    REQUIRE(shown.has_value() == before.has_value());
    REQUIRE(!shown || *shown == textOf(*before));

    const SettingsFile::Write result = settings.write(s, k, v);
    const QByteArray after = readFile(path);
    if (trimmed(section).isEmpty() || trimmed(key).isEmpty() || trimmed(value).isEmpty()) {
        REQUIRE(result == SettingsFile::Write::Blank);
        REQUIRE(after == fileBytes && QFile::exists(path) == hasFile);
        return;
    }
    if (shown == textOf(trimmed(value))) {
        REQUIRE(result == SettingsFile::Write::Unchanged);
        REQUIRE(after == fileBytes && QFile::exists(path) == hasFile);
    } else {
        REQUIRE(result == SettingsFile::Write::Written);
        REQUIRE(after == edited.bytes());
    }
    REQUIRE(settings.read(s, k) == textOf(trimmed(value)));
    SettingsFile fresh(path);
    REQUIRE(fresh.load());
    REQUIRE(fresh.read(s, k) == textOf(trimmed(value)));
    REQUIRE(settings.write(s, k, v) == SettingsFile::Write::Unchanged);
    REQUIRE(readFile(path) == after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QByteArray fields[6];
    qsizetype at = 0;
    int count = 0;
    for (; count < 6; ++count) {
        const qsizetype nl = input.indexOf('\n', at);
        if (nl < 0) {
            fields[count] = input.sliced(at);
            break;
        }
        fields[count] = input.sliced(at, nl - at);
        at = nl + 1;
    }
    const bool hasFile = count == 6;
    const QByteArray fileBytes = hasFile ? input.sliced(at) : QByteArray();
    const QByteArray& section = fields[1];
    const QByteArray& key = fields[2];
    const QByteArray& value = fields[3];
    const QByteArray& otherSection = fields[4];
    const QByteArray& otherKey = fields[5];

    const IniDocument doc(fileBytes);
    REQUIRE(doc.bytes() == fileBytes);
    const Value first = read(doc, section, key);
    if (!hasFile) {
        REQUIRE(!first);
    }

    // Whatever the arguments hold, an edit adds at most a section and a key.
    IniDocument any = doc;
    any.setValue(section, key, value);
    const qsizetype added = lineCount(any.bytes()) - lineCount(fileBytes);
    REQUIRE(added >= 0 && added <= 2);
    requireOneLineChanged(fileBytes, any.bytes());

    if (!holdableSection(section) || !holdableKey(key) || !oneLine(value)) {
        return 0;
    }
    REQUIRE(read(any, section, key) == trimmed(value));
    if (!sameName(otherKey, key)) {
        REQUIRE(read(any, section, otherKey) == read(doc, section, otherKey));
    }
    if (!sameName(otherSection, section)) {
        REQUIRE(read(any, otherSection, otherKey) == read(doc, otherSection, otherKey));
        REQUIRE(read(any, otherSection, key) == read(doc, otherSection, key));
    }
    IniDocument again = any;
    again.setValue(section, key, value);
    REQUIRE(again.bytes() == any.bytes());

    if (validUtf8(section) && validUtf8(key) && validUtf8(value)) {
        const QString& path = scratchFile();
        QFile::remove(path);
        if (hasFile) {
            QFile f(path);
            REQUIRE(f.open(QIODevice::WriteOnly));
            REQUIRE(f.write(fileBytes) == fileBytes.size());
        }
        checkSettingsFile(fileBytes, hasFile, section, key, value, any);
    }
    return 0;
}
