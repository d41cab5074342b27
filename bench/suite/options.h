// SPDX-License-Identifier: MIT
// What one run of the benchmark measures, from its command line.
#pragma once

#include <QSize>
#include <QString>
#include <vector>

namespace bench {

struct Options {
    // Paired runs of each measure, after the warm-up ones.
    int runs = 20;
    // Screen sizes for the picking measures; start-up runs on the first.
    std::vector<QSize> sizes{{1920, 1080}, {3840, 2160}};
    bool startup = true;
    bool capture = true;
    bool wayland = true;
    // How long a program is left alone before its memory is read.
    int settleMs = 500;
};

// The floors, built beside the benchmark.
QString bareWindowBinary();
QString grabProbeBinary();
QString portalProbeBinary();

}  // namespace bench
