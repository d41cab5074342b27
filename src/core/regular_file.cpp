// SPDX-License-Identifier: MIT
#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace huepick {

namespace {

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Opens without waiting (O_NONBLOCK: a FIFO would wait for a writer) and
// accepts only a regular file. `error` receives the open's errno.
int openRegular(const QString& path, int flags, QString* why, int* error = nullptr) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int e = errno;
        if (error != nullptr) {
            *error = e;
        }
        *why = errnoText(e);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = QStringLiteral("not a regular file");
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const char* data, qsizetype size, QString* why) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            *why = errnoText(errno);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

FileRead readRegularFile(const QString& path, qint64 limit) {
    FileRead result;
    QString why;
    int error = 0;
    const int fd = openRegular(path, O_RDONLY, &why, &error);
    if (fd < 0) {
        if (error == ENOENT) {
            return result;  // Missing
        }
        result.status = FileRead::Status::Refused;
        result.why = why;
        return result;
    }
    Descriptor file(fd);
    result.status = FileRead::Status::Refused;
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.why = errnoText(errno);
            return result;
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + n > limit) {
            result.why = QStringLiteral("larger than %1 bytes").arg(limit);
            return result;
        }
        bytes.append(chunk, n);
    }
    result.status = FileRead::Status::Ok;
    result.bytes = std::move(bytes);
    return result;
}

bool replaceFile(const QString& path, const QByteArray& bytes, QString* why) {
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    if (QFileInfo::exists(target) && !QFileInfo(target).isFile()) {
        *why = QStringLiteral("not a regular file");
        return false;
    }
    QSaveFile save(target);
    if (!save.open(QIODevice::WriteOnly)) {
        *why = save.errorString();
        return false;
    }
    // A full disk may show only when the buffer is flushed, and commit() does
    // not look at that: check each step and give the temporary file up on any
    // error, so the old file stays.
    if (save.write(bytes) != bytes.size() || !save.flush() ||
        save.error() != QFileDevice::NoError) {
        *why = save.errorString();
        save.cancelWriting();
        return false;
    }
    if (!save.commit()) {
        *why = save.errorString();
        return false;
    }
    return true;
}

bool appendToFile(const QString& path, const QByteArray& bytes, QString* why) {
    const int fd = openRegular(path, O_WRONLY | O_APPEND | O_CREAT, why);
    if (fd < 0) {
        return false;
    }
    Descriptor file(fd);
    struct stat before {};
    if (::fstat(file.get(), &before) != 0) {
        *why = errnoText(errno);
        return false;
    }
    if (writeAll(file.get(), bytes.constData(), bytes.size(), why)) {
        return true;
    }
    // Part of the record may have reached the file: cut it off again.
    if (::ftruncate(file.get(), before.st_size) != 0) {
        *why += QStringLiteral("; could not undo the partial write: ") + errnoText(errno);
    }
    return false;
}

}  // namespace huepick
