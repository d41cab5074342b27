// SPDX-License-Identifier: MIT
// What assistive technology sees of the skinned controls: picture buttons
// are buttons that can be pressed, swatches are images described by their
// colour.
#pragma once

namespace huepick {

// Registers the accessible faces of the program's own widget classes; once.
void installAccessibility();

}  // namespace huepick
