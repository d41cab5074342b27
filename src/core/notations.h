// SPDX-License-Identifier: MIT
// The ten texts F1 to F10 copy: HTML attribute and CSS forms of the hex
// field's text, and RGB calls of the channel fields' texts, all taken as the
// fields show them.
#pragma once

#include <QString>
#include <array>

namespace huepick {

inline constexpr int kNotationCount = 10;

// Notation 1 to 10 (F1 to F10); an empty text for any other number.
QString notationText(int number, const QString& hex, const std::array<QString, 3>& channels);

}  // namespace huepick
