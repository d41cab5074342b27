// SPDX-License-Identifier: MIT
#include "app/pick_command.h"

#include <QEventLoop>
#include <cstdio>

#include "core/colour_model.h"
#include "ui/picker.h"

namespace huepick {

QString answerText(const ColourModel& model, int format) {
    return format == 0 ? model.hexText() : model.notation(format);
}

int runPickCommand(Desktop desktop, const InstanceRequest& request) {
    ColourModel model;
    model.setCaptureMode(request.mode);
    // No main window: the lens opens next to the click.
    Picker picker(model, desktop, nullptr);
    bool over = false;
    bool picked = false;
    QEventLoop loop;
    QObject::connect(&picker, &Picker::finished, &loop, [&](bool done) {
        over = true;
        picked = done;
        loop.quit();
    });
    picker.start();
    // A grab that fails at once has answered already.
    if (!over) {
        loop.exec();
    }
    if (!picked) {
        return 1;
    }
    std::printf("%s\n", qPrintable(answerText(model, request.format)));
    std::fflush(stdout);
    return 0;
}

}  // namespace huepick
