// SPDX-License-Identifier: MIT
// The floor under a pick on X11: copying every screen the way any Qt program
// can, with QScreen::grabWindow(0) and toImage(), and nothing else. Each
// SIGUSR1 asks for one copy; each answer is one line:
//   grab MS WIDTHxHEIGHT     the time of the copies, and the first one's size
//   failed                   a screen gave no image
// "ready" comes first, once the program is up. The copies are dropped at once,
// so the resident memory shows what the copying itself leaves behind.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "asked.h"

namespace {

void grabAll() {
    QElapsedTimer clock;
    clock.start();
    QSize first;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QImage image = screen->grabWindow(0).toImage();
        if (image.isNull()) {
            std::printf("failed\n");
            std::fflush(stdout);
            return;
        }
        if (first.isEmpty()) {
            first = image.size();
        }
    }
    std::printf("grab %.3f %dx%d\n", static_cast<double>(clock.nsecsElapsed()) / 1e6, first.width(),
                first.height());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Asked asked;
    QGuiApplication app(argc, argv);
    if (!asked.ok()) {
        std::fprintf(stderr, "bench_grab_probe: no signalfd\n");
        return 1;
    }
    asked.onEach(grabAll);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
