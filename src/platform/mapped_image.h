// SPDX-License-Identifier: MIT
// Screen copies in memory of their own: a mapping that goes back to the
// system the moment the image is freed, instead of staying in the allocator's
// heap (where a screen-sized block would keep the program's memory high long
// after a pick).
#pragma once

#include <QImage>

namespace huepick {

// An image of `size` in `format`, its pixels in a mapping of its own. When
// `fd` is given, the mapping is a memory file whose descriptor it receives
// (to share with the X server); the caller closes it. With `touched`, every
// page is in memory on return, so that filling the image costs no faults.
// Null on failure.
QImage mappedImage(QSize size, QImage::Format format, int* fd = nullptr, bool touched = false);

}  // namespace huepick
