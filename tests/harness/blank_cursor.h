// SPDX-License-Identifier: MIT
// A cursor theme whose every cursor is fully transparent, so that the pointer
// never shows in a screenshot (the compositor draws it into every one, the
// portal's included). Written in the Xcursor file format directly.
#pragma once

#include <QString>

namespace e2e::wayland {

inline const QString kBlankCursorTheme = QStringLiteral("huepick-blank");

// Writes the theme under `iconsDir` (the folder XCURSOR_PATH names):
// iconsDir/huepick-blank/index.theme and one cursor file under every name
// the compositor and Qt ask for. False when a file cannot be written.
bool writeBlankCursorTheme(const QString& iconsDir);

}  // namespace e2e::wayland
