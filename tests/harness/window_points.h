// SPDX-License-Identifier: MIT
// Places on the main window the tests aim at, in window pixels, all taken
// from the program's own table of controls.
#pragma once

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

#include "core/layout.h"

namespace e2e {

using huepick::layout::Role;

// The middle of a control.
inline QPoint centre(Role role) {
    return huepick::layout::windowRect(role).center();
}

// A point of the window background: inside the window's bounding `shape`
// (window pixels) with a margin, and at least `clearance` pixels away from
// every control, so that neither a pixel of rounding in the art nor one in
// the pointer can land on one.
std::optional<QPoint> backgroundPoint(const std::vector<QRect>& shape, int clearance = 3);

}  // namespace e2e
