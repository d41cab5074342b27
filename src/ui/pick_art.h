// SPDX-License-Identifier: MIT
// The pictures of the picking window: its two pointers, the lens mask and the
// ring drawn round the lens. Each comes from the program's resources; when one
// is missing a plain drawn stand-in takes its place, so picking still works.
#pragma once

#include <QCursor>
#include <QImage>

#include "core/pick_geometry.h"

namespace huepick {

// 32 x 32 pointers with the hot spot at the top-left pixel.
const QCursor& eyedropperCursor();
const QCursor& magnifierCursor();

// kSize x kSize, black (0,0,0) except a white disc.
QImage lensMask();

// The white part of a lens mask, row by row.
LensDisc discOfMask(const QImage& mask);
// The disc of the program's lens mask.
const LensDisc& lensDisc();

// The ring for a lens `size` device pixels across, transparent in the middle;
// null when the program has none.
QImage lensRing(int size);
QImage scaledLensRing(int size);

}  // namespace huepick
