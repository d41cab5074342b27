// SPDX-License-Identifier: MIT
// The program's second mode: keeping a copied text on the clipboard after
// the program with windows has gone (see platform/clipboard_keeper.h).
#pragma once

#include <optional>

namespace huepick {

// Runs the keeping mode when the arguments ask for it and returns its exit
// status; nullopt for an ordinary start. Called first thing in main(),
// before any Qt object exists.
std::optional<int> runClipboardKeeper(int argc, char* argv[]);

}  // namespace huepick
