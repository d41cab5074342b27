// Places on the main window that the tests aim at, in window pixels.
#pragma once

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

namespace e2e {

// Centre of the hexadecimal field (inside its frame at 274, 99).
inline constexpr QPoint kHexFieldCentre{274 + 10 + 28, 99 + 14 + 9};

// A point of the window background: inside the window's shape, with a margin,
// and clear of every control that takes the mouse. `shape` is the window's
// bounding shape in window pixels.
std::optional<QPoint> background_point(const std::vector<QRect>& shape);

}  // namespace e2e
