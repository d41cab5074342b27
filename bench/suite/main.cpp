// SPDX-License-Identifier: MIT
// One command that measures Huepick beside its floors, each pair of runs
// interleaved so that a shared, noisy machine weighs on both alike:
//   start-up        huepick vs a bare Qt window program
//   grab probe      QScreen::grabWindow(0) + toImage() on its own
//   picking window  sample release -> viewable and painted, vs the probe
//   click -> colour pick click -> colour in the swatch
//   memory          resident memory over the picks, vs the probe
//   Wayland         release -> picking window and click -> colour on a
//                   headless sway, vs the portal's own screenshot
// Prints medians and 90th percentiles; judges nothing, so it always exits 0
// unless a section could not be measured.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "harness/app_run.h"
#include "sections.h"

namespace bench {

QString bareWindowBinary() {
    return QStringLiteral(BENCH_BARE_WINDOW_BIN);
}
QString grabProbeBinary() {
    return QStringLiteral(BENCH_GRAB_PROBE_BIN);
}
QString portalProbeBinary() {
    return QStringLiteral(BENCH_PORTAL_PROBE_BIN);
}

namespace {

std::optional<Options> parse(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures huepick beside its floors."));
    parser.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Paired runs of each measure (default 20)."),
                                  QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption sizes(
        QStringLiteral("sizes"),
        QStringLiteral("Screen sizes for the X11 picks; start-up uses the first "
                       "(default 1920x1080,3840x2160)."),
        QStringLiteral("WxH,..."), QStringLiteral("1920x1080,3840x2160"));
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("Sections to run, of startup, capture, wayland (default all)."),
        QStringLiteral("list"), QStringLiteral("startup,capture,wayland"));
    const QCommandLineOption noWayland(QStringLiteral("no-wayland"),
                                       QStringLiteral("Leave out the Wayland section."));
    const QCommandLineOption settle(
        QStringLiteral("settle-ms"),
        QStringLiteral("Wait before each memory reading (default 500)."), QStringLiteral("ms"),
        QStringLiteral("500"));
    parser.addOptions({runs, sizes, only, noWayland, settle});
    parser.process(app);

    Options o;
    o.runs = parser.value(runs).toInt();
    o.settleMs = parser.value(settle).toInt();
    o.sizes.clear();
    for (const QString& s : parser.value(sizes).split(u',', Qt::SkipEmptyParts)) {
        const QStringList wh = s.split(u'x');
        const QSize size(wh.value(0).toInt(), wh.value(1).toInt());
        if (wh.size() != 2 || size.width() < 640 || size.height() < 480) {
            std::fprintf(stderr, "bench: \"%s\" is not a screen size like 1920x1080\n",
                         qPrintable(s));
            return std::nullopt;
        }
        o.sizes.push_back(size);
    }
    const QStringList sections = parser.value(only).split(u',', Qt::SkipEmptyParts);
    o.startup = sections.contains(QLatin1String("startup"));
    o.capture = sections.contains(QLatin1String("capture"));
    o.wayland = sections.contains(QLatin1String("wayland")) && !parser.isSet(noWayland);
    if (o.runs < 1 || o.settleMs < 0 || o.sizes.empty()) {
        std::fprintf(stderr, "bench: give at least one run and one screen size\n");
        return std::nullopt;
    }
    return o;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

}  // namespace

}  // namespace bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<bench::Options> options = bench::parse(app);
    if (!options) {
        return 2;
    }
    QElapsedTimer total;
    total.start();
    std::printf("huepick bench %s: %s, %d paired runs, load average %s\n",
                qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
                qPrintable(e2e::huepickBinary()), options->runs, qPrintable(bench::loadAverage()));
    std::fflush(stdout);

    bool complete = true;
    if (options->startup) {
        complete = bench::runStartup(*options, options->sizes.front()) && complete;
    }
    if (options->capture) {
        std::vector<bench::CaptureResults> results;
        for (QSize size : options->sizes) {
            if (std::optional<bench::CaptureResults> r = bench::runCapture(*options, size)) {
                results.push_back(std::move(*r));
            } else {
                complete = false;
            }
        }
        bench::printCapture(results);
    }
    if (options->wayland) {
        complete = bench::runWayland(*options) && complete;
    }
    std::printf("\nwhole run: %.0f s, load average now %s\n",
                static_cast<double>(total.elapsed()) / 1000.0, qPrintable(bench::loadAverage()));
    return complete ? 0 : 1;
}
