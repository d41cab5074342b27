// Fuzzes the INI reader and writer on arbitrary file bytes.
//
// Input: six header lines, then the file's bytes:
//   buffer size (decimal), section, key, value, other section, other key
// With fewer than six lines there is no file at all.
//
// Checked for every input: get_string's buffer contract (NUL, untouched tail,
// trimmed value). For a section and key the file format can hold and a
// single-line value: write_string succeeds, the value reads back trimmed,
// only one line of the file changes (plus added line ends), values under other
// names read as before, and writing the same value again changes nothing.
#include <unistd.h>
#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/profile_file.h"

#define REQUIRE(ok) ((ok) ? void() : fail(#ok, __LINE__))

namespace {

namespace profile = huepick::profile;

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    std::abort();
}

// One scratch folder per fuzzing process, on tmpfs when there is one: the
// writer syncs each file it replaces.
char scratch_folder[4096];

void remove_scratch_folder() {
    QDir(QString::fromLocal8Bit(scratch_folder)).removeRecursively();
}

const QString& scratch_file() {
    static const QString path = [] {
        QByteArray base = qgetenv("TMPDIR");
        if (base.isEmpty()) {
            base = QDir("/dev/shm").exists() ? "/dev/shm" : "/tmp";
        }
        const QByteArray pattern = base + "/huepick-fuzz-XXXXXX";
        REQUIRE(pattern.size() < qsizetype{sizeof scratch_folder});
        std::memcpy(scratch_folder, pattern.constData(), pattern.size() + 1);
        REQUIRE(mkdtemp(scratch_folder) != nullptr);
        std::atexit(remove_scratch_folder);
        return QString::fromLocal8Bit(scratch_folder) + QStringLiteral("/fuzz.ini");
    }();
    return path;
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

// Names are compared as the reader compares them.
bool same_name(const QByteArray& a, const QByteArray& b) {
    return QString::fromLocal8Bit(a).compare(QString::fromLocal8Bit(b), Qt::CaseInsensitive) == 0;
}

bool one_line(const QByteArray& text) {
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

// A section name that a "[name]" header gives back unchanged.
bool holdable_section(const QByteArray& name) {
    return one_line(name) && !name.contains(']') && trimmed(name) == name;
}

// A key that a "key=value" line gives back unchanged, and that is not read as a
// comment or a section header.
bool holdable_key(const QByteArray& name) {
    return one_line(name) && !name.contains('=') && trimmed(name) == name &&
           !name.startsWith(';') && !name.startsWith('#') && !name.startsWith('[');
}

QByteArray read_file(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

// Reads with a buffer of `size` bytes and checks the buffer contract.
QByteArray get(const QByteArray& section, const QByteArray& key, const QByteArray& fallback,
               qsizetype size) {
    constexpr char kFill = '\x7f';
    QByteArray buffer(size, kFill);
    const int copied = profile::get_string(section, key, fallback, buffer, scratch_file());
    REQUIRE(copied >= 0 && copied <= profile::kMaxValueLength);
    REQUIRE(buffer.size() == size);
    if (size == 0) {
        REQUIRE(copied == 0);
        return {};
    }
    REQUIRE(copied <= size - 1);
    REQUIRE(buffer[copied] == '\0');
    const QByteArrayView tail = QByteArrayView(buffer).sliced(copied + 1);
    REQUIRE(tail.count(kFill) == tail.size());
    const QByteArray value = buffer.first(copied);
    if (!value.isEmpty()) {
        REQUIRE(!blank(value.front()));
        if (copied < size - 1) {
            REQUIRE(!blank(value.back()));  // not cut short, so the whole trimmed value
        }
    }
    return value;
}

// Larger than any value an input can carry.
qsizetype whole_value_size = 0;

QByteArray get_all(const QByteArray& section, const QByteArray& key) {
    return get(section, key, QByteArray(), whole_value_size);
}

// Only the bytes of one line differ, apart from added bytes.
void require_one_line_changed(const QByteArray& before, const QByteArray& after) {
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
    REQUIRE(!removed.contains('\n'));
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
    const bool has_file = count == 6;
    const QByteArray file_bytes = has_file ? input.sliced(at) : QByteArray();
    bool size_ok = false;
    const qsizetype buffer_size = fields[0].left(6).toLongLong(&size_ok) % 2048;
    const QByteArray& section = fields[1];
    const QByteArray& key = fields[2];
    const QByteArray& value = fields[3];
    const QByteArray& other_section = fields[4];
    const QByteArray& other_key = fields[5];

    const QString& path = scratch_file();
    QFile::remove(path);
    if (has_file) {
        QFile f(path);
        REQUIRE(f.open(QIODevice::WriteOnly));
        REQUIRE(f.write(file_bytes) == file_bytes.size());
    }

    // Arbitrary names and buffer sizes: the buffer contract holds and a read
    // is repeatable.
    const QByteArray first =
        get(section, key, value, size_ok && buffer_size >= 0 ? buffer_size : 512);
    REQUIRE(get(section, key, value, size_ok && buffer_size >= 0 ? buffer_size : 512) == first);
    whole_value_size = input.size() + 2;
    const QByteArray whole = get(section, key, value, whole_value_size);
    REQUIRE(whole.startsWith(first));
    if (!has_file) {
        REQUIRE(whole == trimmed(value));
    }

    if (!holdable_section(section) || !holdable_key(key) || !one_line(value)) {
        return 0;
    }
    const QByteArray other_here = get_all(section, other_key);
    const QByteArray other_there = get_all(other_section, other_key);
    const QByteArray key_there = get_all(other_section, key);

    REQUIRE(profile::write_string(section, key, value, path));
    const QByteArray after = read_file(path);
    REQUIRE(get_all(section, key) == trimmed(value));
    require_one_line_changed(file_bytes, after);

    if (!same_name(other_key, key)) {
        REQUIRE(get_all(section, other_key) == other_here);
    }
    if (!same_name(other_section, section)) {
        REQUIRE(get_all(other_section, other_key) == other_there);
        REQUIRE(get_all(other_section, key) == key_there);
    }

    REQUIRE(profile::write_string(section, key, value, path));
    REQUIRE(read_file(path) == after);
    return 0;
}
