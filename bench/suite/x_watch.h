// SPDX-License-Identifier: MIT
// Watching an X desktop closely enough to time it: one pixel at a time, and
// polls a fraction of a millisecond apart, over the harness's connection.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QRgb>
#include <QThread>
#include <cmath>
#include <optional>

#include "harness/x_connection.h"

namespace bench {

// How often the benchmark looks: often enough for a tenth of the shortest
// times it measures, seldom enough to leave the two cores to the program.
constexpr unsigned long kPollMicroseconds = 500;

inline std::optional<QRgb> pixelAt(e2e::XConnection& x, QPoint at) {
    const QImage image = x.grab(QRect(at, QSize(1, 1)));
    return image.isNull() ? std::nullopt : std::optional<QRgb>(image.pixel(0, 0) & 0xFFFFFFu);
}

inline double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Milliseconds on `clock` when done() first held, or NaN after timeoutMs.
template <class Done>
double timeUntil(const QElapsedTimer& clock, Done done, int timeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        if (done()) {
            return msSince(clock);
        }
        QThread::usleep(kPollMicroseconds);
    }
    return NAN;
}

}  // namespace bench
