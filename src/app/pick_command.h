// SPDX-License-Identifier: MIT
// `huepick --pick`: one pick with no main window, its colour printed.
#pragma once

#include "app/single_instance.h"
#include "platform/desktop.h"

namespace huepick {

class ColourModel;

// What a pick prints: "#RRGGBB", or the text F<format> copies.
QString answerText(const ColourModel& model, int format);

// Runs one pick on `desktop` and returns the exit status: 0 after printing
// the picked colour, 1 when cancelled.
int runPickCommand(Desktop desktop, const InstanceRequest& request);

}  // namespace huepick
