// SPDX-License-Identifier: MIT
// Keeping a copied text on the clipboard after the program has gone, where no
// clipboard manager takes it over: the program starts itself again in a small
// mode without windows (`huepick --keep-clipboard ...`) that owns the
// clipboard until another program takes it, as command-line clipboard tools
// do. Both sides of that hand-over are here.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace huepick {

// The first argument that starts the keeping mode.
inline constexpr char kKeepClipboardArg[] = "--keep-clipboard";
// Longer texts are not kept: they would not fit the pipe that carries them
// nor one X property request. The program copies colour notations.
inline constexpr int kMaxKeptBytes = 60000;
// How long the program waits for the keeper to own the clipboard.
inline constexpr int kKeeperReadyMs = 1000;

// Program side: starts the keeping mode with `args` after kKeepClipboardArg,
// hands it `text` and returns once the keeper owns the clipboard (true), has
// given up, or kKeeperReadyMs have passed.
bool launchClipboardKeeper(const QStringList& args, const QByteArray& text);

// Keeper side: tells the waiting program that the clipboard is now kept,
// then lets go of the program's standard error. False when the program no
// longer waits, so that a late keeper does not take the clipboard after all.
bool announceKeeping(int readyFd);

}  // namespace huepick
