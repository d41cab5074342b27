// SPDX-License-Identifier: MIT
// The keeping mode on Wayland: owns the clipboard with a copied text after
// the program has gone, through the wlroots data control protocol (sway,
// KDE), which lets a client without a window set the selection. Plain
// libwayland-client; no Qt GUI.
#pragma once

#include <QByteArray>

namespace huepick {

// Sets the clipboard to `text` and serves it until another client replaces
// it or the display closes; returns the exit status. With a `marker`, takes
// over only while the current selection still offers that MIME type (the
// program's copy is still the clipboard). Writes the ready byte to readyFd
// once it owns the selection (see announceKeeping). Gives up silently when
// the compositor lacks data control.
int serveWaylandClipboard(const QByteArray& text, int readyFd, const QByteArray& marker);

}  // namespace huepick
