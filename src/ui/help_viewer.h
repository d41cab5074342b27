// SPDX-License-Identifier: MIT
// The help page in a small window of the program's own, for a desktop that
// has no program to show it.
#pragma once

#include <QString>

class QWidget;

namespace huepick {

// Shows `path` in the program's own help window, making it on first use.
void showHelpViewer(const QString& path, QWidget* owner);

}  // namespace huepick
