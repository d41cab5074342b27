// SPDX-License-Identifier: MIT
// The shapes of the window, its swatches and the lens, turned from their mask
// pictures into rectangles when the program is built.
#pragma once

#include <QRegion>
#include <string_view>

namespace huepick::built {

// "window", "red_swatch_mask", "green_swatch_mask", "blue_swatch_mask",
// "colour_swatch_mask", "red_frame", "lens"; empty for any other name.
QRegion shape(std::string_view name);

}  // namespace huepick::built
