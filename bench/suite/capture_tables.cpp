// SPDX-License-Identifier: MIT
// The X11 picking figures of every screen size, one table per measure: the
// grab probe alone, the picking window beside the probe, the pick click, and
// memory over the picks.
#include <algorithm>
#include <cmath>

#include "sections.h"

namespace bench {

namespace {

QString sizeName(QSize s) {
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

QString mib(double v) {
    return number(v, QStringLiteral("MiB"), 2);
}

// Start, after the first pick, after the last, the largest growth over the
// start, and where the last one left it.
QStringList memoryRow(const QString& name, const std::vector<double>& rss) {
    if (rss.size() < 2) {
        return {name, QStringLiteral("0")};
    }
    const double start = rss.front();
    const double most = *std::max_element(rss.begin() + 1, rss.end());
    const double lastGrowth = rss.back() - start;
    return {name,
            QString::number(rss.size() - 1),
            mib(start),
            mib(rss[1]),
            mib(rss.back()),
            (most >= start ? QStringLiteral("+") : QString()) + mib(most - start),
            (lastGrowth >= 0 ? QStringLiteral("+") : QString()) + mib(lastGrowth) +
                (std::abs(lastGrowth) <= 3.0 ? QStringLiteral(" (within 3 MiB)")
                                             : QStringLiteral(" (over 3 MiB)"))};
}

}  // namespace

void printCapture(const std::vector<CaptureResults>& results) {
    Table grab(
        QStringLiteral("Grab probe on Xvfb: QScreen::grabWindow(0) + toImage(), "
                       "every screen (a floor)"));
    for (const CaptureResults& r : results) {
        grab.add(QStringLiteral("grab ") + sizeName(r.size), summarise(r.grab), std::nullopt,
                 QStringLiteral("-"));
    }
    grab.print();

    Table capture(
        QStringLiteral("Sample release -> picking window, Xvfb with openbox "
                       "(floor: grab probe)"));
    for (const CaptureResults& r : results) {
        const Summary floor = summarise(r.grab);
        const Summary copied = summarise(r.copied);
        const Summary viewable = summarise(r.viewable);
        const Summary painted = summarise(r.painted);
        capture.add(QStringLiteral("screen copied ") + sizeName(r.size), copied, std::nullopt,
                    QStringLiteral("-"));
        capture.add(QStringLiteral("viewable ") + sizeName(r.size), viewable, floor,
                    difference(viewable, floor));
        capture.add(QStringLiteral("painted ") + sizeName(r.size), painted, floor,
                    difference(painted, floor));
        if (r.paintedUnseen > 0) {
            capture.addNote(QStringLiteral("%1: %2 picks copied the screen too close to "
                                           "mapping to tell when it was copied and painted")
                                .arg(sizeName(r.size))
                                .arg(r.paintedUnseen));
        }
    }
    capture.addNote(
        QStringLiteral("screen copied: when the copy was taken, from the ticker "
                       "square it froze; painted: the picking window shows it"));
    capture.print();

    Table colour(
        QStringLiteral("Pick click -> colour swatch shows the colour, picking window "
                       "gone, Xvfb with openbox"));
    for (const CaptureResults& r : results) {
        colour.add(QStringLiteral("click -> colour ") + sizeName(r.size), summarise(r.colour),
                   std::nullopt, QStringLiteral("-"));
    }
    colour.print();

    Table memory(QStringLiteral("Resident memory over the picks, each read after settling "
                                "(floor: grab probe)"),
                 {QStringLiteral("program"), QStringLiteral("picks"), QStringLiteral("start"),
                  QStringLiteral("after 1"), QStringLiteral("after N"),
                  QStringLiteral("max growth"), QStringLiteral("after N - start")});
    for (const CaptureResults& r : results) {
        memory.addRow(memoryRow(QStringLiteral("huepick ") + sizeName(r.size), r.huepickRss));
        memory.addRow(memoryRow(QStringLiteral("grab probe ") + sizeName(r.size), r.probeRss));
    }
    memory.addNote(
        QStringLiteral("the goal: huepick's memory returns to within 3 MiB of "
                       "its start-up level"));
    memory.print();
}

}  // namespace bench
