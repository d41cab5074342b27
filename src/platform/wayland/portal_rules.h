// SPDX-License-Identifier: MIT
// The pure rules of talking to the desktop portal's Screenshot interface:
// where its answer will come from, what its response codes mean, and which
// returned files are ours to delete.
#pragma once

#include <QString>
#include <QStringList>

namespace huepick::portal {

// The Request object the portal creates for a call made with `token` by the
// connection `unique_name` (":1.42" -> .../request/1_42/TOKEN). Known before
// the call, so the answer can be listened for before it can arrive.
QString requestPath(const QString& uniqueName, const QString& token);

// A handle_token: letters, digits and underscores only, new on every call.
QString newToken();

enum class Response { Success, Cancelled, Failed };
// 0 success, 1 cancelled by the user (not an error), anything else failed.
Response responseKind(uint code);
// One line for a failed code.
QString responseError(uint code);

// The folders whose files a screenshot may be deleted from once loaded: the
// temporary folder, XDG_RUNTIME_DIR and the user's cache folders, resolved,
// existing, and never "/" or the home folder itself.
QStringList temporaryFolders();
// True when `file` exists and, with symbolic links and ".." resolved, lies
// below one of `folders` (which must be resolved themselves).
bool isDisposable(const QString& file, const QStringList& folders);

}  // namespace huepick::portal
