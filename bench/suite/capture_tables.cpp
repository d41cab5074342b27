// SPDX-License-Identifier: MIT
// The X11 picking figures of every screen size, one table per measure: the
// grab probe alone, the picking window beside the probe, the pick click, and
// memory over the picks.
#include <algorithm>
#include <cmath>

#include "sections.h"

namespace bench {

namespace {

QString size_name(QSize s) {
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

QString mib(double v) {
    return number(v, QStringLiteral("MiB"), 2);
}

// Start, after the first pick, after the last, the largest growth over the
// start, and where the last one left it.
QStringList memory_row(const QString& name, const std::vector<double>& rss) {
    if (rss.size() < 2) {
        return {name, QStringLiteral("0")};
    }
    const double start = rss.front();
    const double most = *std::max_element(rss.begin() + 1, rss.end());
    const double last_growth = rss.back() - start;
    return {name,
            QString::number(rss.size() - 1),
            mib(start),
            mib(rss[1]),
            mib(rss.back()),
            (most >= start ? QStringLiteral("+") : QString()) + mib(most - start),
            (last_growth >= 0 ? QStringLiteral("+") : QString()) + mib(last_growth) +
                (std::abs(last_growth) <= 3.0 ? QStringLiteral(" (within 3 MiB)")
                                              : QStringLiteral(" (over 3 MiB)"))};
}

}  // namespace

void print_capture(const std::vector<CaptureResults>& results) {
    Table grab(
        QStringLiteral("Grab probe on Xvfb: QScreen::grabWindow(0) + toImage(), "
                       "every screen (a floor)"));
    for (const CaptureResults& r : results) {
        grab.add(QStringLiteral("grab ") + size_name(r.size), summarise(r.grab), std::nullopt,
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
        capture.add(QStringLiteral("screen copied ") + size_name(r.size), copied, std::nullopt,
                    QStringLiteral("-"));
        capture.add(QStringLiteral("viewable ") + size_name(r.size), viewable, floor,
                    difference(viewable, floor));
        capture.add(QStringLiteral("painted ") + size_name(r.size), painted, floor,
                    difference(painted, floor));
        if (r.painted_unseen > 0) {
            capture.add_note(QStringLiteral("%1: %2 picks copied the screen too close to "
                                            "mapping to tell when it was copied and painted")
                                 .arg(size_name(r.size))
                                 .arg(r.painted_unseen));
        }
    }
    capture.add_note(
        QStringLiteral("screen copied: when the copy was taken, from the ticker "
                       "square it froze; painted: the picking window shows it"));
    capture.print();

    Table colour(
        QStringLiteral("Pick click -> colour swatch shows the colour, picking window "
                       "gone, Xvfb with openbox"));
    for (const CaptureResults& r : results) {
        colour.add(QStringLiteral("click -> colour ") + size_name(r.size), summarise(r.colour),
                   std::nullopt, QStringLiteral("-"));
    }
    colour.print();

    Table memory(QStringLiteral("Resident memory over the picks, each read after settling "
                                "(floor: grab probe)"),
                 {QStringLiteral("program"), QStringLiteral("picks"), QStringLiteral("start"),
                  QStringLiteral("after 1"), QStringLiteral("after N"),
                  QStringLiteral("max growth"), QStringLiteral("after N - start")});
    for (const CaptureResults& r : results) {
        memory.add_row(memory_row(QStringLiteral("huepick ") + size_name(r.size), r.huepick_rss));
        memory.add_row(memory_row(QStringLiteral("grab probe ") + size_name(r.size), r.probe_rss));
    }
    memory.add_note(
        QStringLiteral("the goal: huepick's memory returns to within 3 MiB of "
                       "its start-up level"));
    memory.print();
}

}  // namespace bench
