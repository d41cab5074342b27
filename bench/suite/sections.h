// SPDX-License-Identifier: MIT
// The benchmark's sections. Each says on stderr why it could not finish; the
// start-up and Wayland sections print their own tables, the X11 picking
// sections are measured per screen size and printed together.
#pragma once

#include <QSize>
#include <QThread>
#include <optional>
#include <vector>

#include "options.h"
#include "stats.h"

namespace bench {

// A pause before each measured run, so that it starts once the run before
// has been cleaned up after (the program's own freeing, the server's
// repainting) rather than competing with that for the two cores.
inline void quiet() {
    QThread::msleep(200);
}

// Start-up of huepick beside a bare Qt window, on one screen size.
bool runStartup(const Options& options, QSize size);

// Picks on X11 beside the grab probe, on one screen size.
struct CaptureResults {
    QSize size;
    std::vector<double> grab;      // the probe's copy of every screen
    std::vector<double> copied;    // release -> the program copied the screen
    std::vector<double> viewable;  // release -> picking window viewable
    std::vector<double> painted;   // release -> picking window shows the copy
    int paintedUnseen = 0;         // picks whose painting could not be told
    std::vector<double> colour;    // pick click -> colour shown, window gone
    // Resident memory before the first pick and after each one, in MiB.
    std::vector<double> huepickRss;
    std::vector<double> probeRss;
};
std::optional<CaptureResults> runCapture(const Options& options, QSize size);
void printCapture(const std::vector<CaptureResults>& results);

// Picks on a headless Wayland desktop beside the portal's own screenshot.
bool runWayland(const Options& options);

}  // namespace bench
