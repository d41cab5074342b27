// A cursor theme whose every cursor is fully transparent, so that the pointer
// never shows in a screenshot (the compositor draws it into every one, the
// portal's included). Written in the Xcursor file format directly.
#pragma once

#include <QString>

namespace e2e::wayland {

inline const QString kBlankCursorTheme = QStringLiteral("huepick-blank");

// Writes the theme under `icons_dir` (the folder XCURSOR_PATH names):
// icons_dir/huepick-blank/index.theme and one cursor file under every name
// the compositor and Qt ask for. False when a file cannot be written.
bool write_blank_cursor_theme(const QString& icons_dir);

}  // namespace e2e::wayland
