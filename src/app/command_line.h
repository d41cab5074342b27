// SPDX-License-Identifier: MIT
// The command line: nothing starts the window; --pick and --magnify pick one
// colour and print it, for binding to a key ("huepick --pick | wl-copy").
#pragma once

#include <QString>
#include <QStringList>

#include "core/channel.h"

namespace huepick {

struct CommandLine {
    enum class Action { Run, Pick, Help, Version, Error };
    Action action = Action::Run;
    // For Pick: how to pick, and what to print: 0 "#RRGGBB", 1..10 the text F1..F10 copy.
    CaptureMode mode = CaptureMode::Sample;
    int format = 0;
    // For Help and Version the text for stdout; for Error one line for stderr.
    QString text;
};

// `arguments` includes the program name first.
CommandLine parseCommandLine(const QStringList& arguments);

QString usageText();

}  // namespace huepick
