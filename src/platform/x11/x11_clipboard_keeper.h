// SPDX-License-Identifier: MIT
// The keeping mode on X11: owns the CLIPBOARD selection with a copied text
// after the program has gone, through plain XCB and without any window on
// screen, until another client takes the selection or the display closes.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace huepick {

// Takes CLIPBOARD from `expectedOwner` (the program's selection window; 0:
// from whoever owns it), answers requests for `text` and returns the exit
// status once it has lost the selection. Writes the ready byte to readyFd
// once it owns the selection (see announceKeeping).
int serveX11Clipboard(const QByteArray& text, int readyFd, std::uint32_t expectedOwner);

}  // namespace huepick
