// SPDX-License-Identifier: MIT
// Reading and writing the program's own files safely: only regular files are
// touched (a FIFO or a device would block the program or never end), reads are
// bounded, and a write either happens whole or leaves the file as it was.
#pragma once

#include <QByteArray>
#include <QString>

namespace huepick {

struct FileRead {
    enum class Status { Ok, Missing, Refused };
    Status status = Status::Missing;
    QByteArray bytes;
    QString why;  // for Refused: one line saying why
};

// The whole file, if it is a regular file (a symlink to one is followed) of at
// most `limit` bytes. Opening never waits.
FileRead readRegularFile(const QString& path, qint64 limit);

// Replaces the file's content by `bytes` through a temporary file and a
// rename, so that a full disk or a crash leaves the old file whole. A symlink
// is followed: its target is replaced. Refuses anything but a regular file.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* why);

// Appends `bytes` to the regular file at `path`, creating it if needed. A
// write that cannot finish is undone, so the file is left exactly as it was.
bool appendToFile(const QString& path, const QByteArray& bytes, QString* why);

}  // namespace huepick
