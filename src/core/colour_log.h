// SPDX-License-Identifier: MIT
// The HTML colour log: one record per export, appended, never rewritten.
#pragma once

#include <QByteArray>
#include <QString>

namespace huepick {

// The bytes one export appends for the hex field text `hex`: the record text in
// double quotes, CR LF, then an empty line. `&`, `<`, `>` and `"` in `hex` are
// written as entities, so typed text cannot break the markup of later records;
// a real colour text contains none of them and is written as it is.
QByteArray logRecord(const QString& hex);

// Appends one record to the log at `path`, creating it if needed. On failure
// the log is left as it was, false is returned and `why` says why.
bool appendLogRecord(const QString& path, const QString& hex, QString* why);

}  // namespace huepick
