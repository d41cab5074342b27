// SPDX-License-Identifier: MIT
// Soak run: the real program under Xvfb, openbox and trayer, driven for a
// long time with random real input through xdotool, while its resident
// memory is sampled every 10 s.
//
//   huepick_soak [seconds [actions_per_second [seed]]]
//
// Defaults: 600 s, 15 actions a second, a seed from the clock. The input
// covers typing into the four fields, F1 to F10, Enter with random hex text,
// step button clicks and short holds, picks in both capture modes, exports
// to the colour log, copies with the right button, and hiding to the tray
// and back. Left clicks only ever land on buttons or on the capture window,
// never on the background (that would drag the window) or the close button.
//
// Prints the samples and a summary; exits 1 when memory grew by 5 MiB or
// more after the first minute (peak of the last minute against the peak of
// the first), the program printed anything on stderr, or it did not survive
// to the end and exit normally.
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "harness/files.h"
#include "soak.h"

namespace {

using e2e::rssMb;
using soak::Role;
using soak::Soak;
using soak::XAppRun;
using soak::XSession;

constexpr int kSampleEveryMs = 10'000;
constexpr double kGrowthLimitMb = 5.0;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qt(argc, argv);
    const QStringList args = qt.arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 600;
    const double rate = args.size() > 2 ? args[2].toDouble() : 15.0;
    const quint32 seed = args.size() > 3
                             ? args[3].toUInt()
                             : static_cast<quint32>(QDateTime::currentMSecsSinceEpoch());
    if (seconds < 70 || rate <= 0) {
        std::fprintf(stderr, "usage: huepick_soak [seconds >= 70 [actions_per_second [seed]]]\n");
        return 2;
    }

    XSession session({.tray = true});
    if (!session.ok()) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(session.error()));
        return 1;
    }
    // The program as users run it: no allocator tuning. Each pick copies the
    // whole screen, and the program hands that memory back when the picking
    // window goes away.
    XAppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    if (!app.launch()) {
        std::fprintf(stderr, "huepick did not start: %s\n", qPrintable(app.error()));
        return 1;
    }
    Soak soak(session, app, seed);
    if (!soak.setUp()) {
        std::fprintf(stderr, "cannot drive huepick: %s\n", qPrintable(soak.trouble()));
        return 1;
    }
    std::printf("soak: %d s at %.1f actions/s, seed %u, display %s, pid %lld\n", seconds, rate,
                seed, qPrintable(session.display()), app.pid());
    std::fflush(stdout);

    const qint64 actionMs = std::llround(1000.0 / rate);
    std::vector<std::pair<int, double>> samples{{0, rssMb(app.pid())}};
    QElapsedTimer clock;
    clock.start();
    bool alive = true;
    while (alive && clock.elapsed() < seconds * 1000LL) {
        const qint64 started = clock.elapsed();
        alive = soak.step();
        // The program's stderr reaches its QProcess through the event loop.
        QCoreApplication::processEvents();
        const int due = static_cast<int>(samples.size()) * kSampleEveryMs;
        if (clock.elapsed() >= due) {
            samples.emplace_back(due / 1000, rssMb(app.pid()));
            // What the last copy left shows that the keys and copies still work.
            const std::optional<QString> clip = session.clipboard();
            std::printf("  %4d s  RSS %6.2f MiB  %5lld actions  clipboard %s\n",
                        samples.back().first, samples.back().second, soak.actions(),
                        clip ? qPrintable(clip->left(40)) : "(none)");
            std::fflush(stdout);
        }
        const qint64 spent = clock.elapsed() - started;
        if (spent < actionMs) {
            QThread::msleep(static_cast<unsigned long>(actionMs - spent));
        }
    }
    const double elapsedS = static_cast<double>(clock.elapsed()) / 1000.0;
    const double rssEnd = rssMb(app.pid());

    // End through the close button, as a user would.
    bool closed = false;
    if (app.running()) {
        closed = app.click(Role::CloseButton);
    }
    const e2e::ExitInfo exit = app.waitExit(10000);
    const QString err = app.stderrText();
    const QByteArray log =
        e2e::readFile(app.appFile(QStringLiteral("huepick.html"))).value_or(QByteArray());
    const qsizetype records = log.count("<FONT FACE=arial SIZE=3 COLOR=");
    const std::optional<QString> stored =
        app.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor"));

    // Growth is also judged on peaks, the highest sample of the first minute
    // against that of the last one, so one sample taken while a capture is
    // open cannot decide it.
    double rss1min = -1;
    double peakFirst = 0;
    double peakLast = 0;
    for (const auto& [at, mb] : samples) {
        if (at == 60) {
            rss1min = mb;
        }
        if (at <= 60) {
            peakFirst = std::max(peakFirst, mb);
        }
        if (at >= samples.back().first - 60) {
            peakLast = std::max(peakLast, mb);
        }
    }
    const double growth = peakLast - peakFirst;
    std::printf("\nsoak summary\n");
    std::printf("  ran               %.1f s, %lld actions (%.1f/s), %lld input events\n", elapsedS,
                soak.actions(), static_cast<double>(soak.actions()) / elapsedS, soak.inputEvents());
    std::printf("  picks             %d, exports %d, hides to the tray %d, late effects %d\n",
                soak.picks(), soak.exports(), soak.hides(), soak.misses());
    std::printf("  RSS at start      %.2f MiB\n", samples.front().second);
    std::printf("  RSS at 1 min      %.2f MiB\n", rss1min);
    std::printf("  RSS at the end    %.2f MiB\n", rssEnd);
    std::printf("  RSS peaks         first minute %.2f MiB, last minute %.2f MiB\n", peakFirst,
                peakLast);
    std::printf("  growth            %+.2f MiB (limit %.0f)\n", growth, kGrowthLimitMb);
    std::printf("  colour log        %lld bytes, %lld records\n",
                static_cast<long long>(log.size()), static_cast<long long>(records));
    std::printf("  stored colour     %s\n", stored ? qPrintable(*stored) : "(none)");
    std::printf("  exit              %s\n",
                !exit.exited   ? "still running"
                : exit.crashed ? qPrintable(QStringLiteral("killed by signal %1").arg(exit.code))
                               : qPrintable(QStringLiteral("status %1").arg(exit.code)));
    std::printf("  stderr            %s\n", err.isEmpty() ? "nothing" : "see below");
    if (!err.isEmpty()) {
        std::printf("%s\n", qPrintable(err));
    }
    if (!soak.trouble().isEmpty()) {
        std::printf("  trouble           %s\n", qPrintable(soak.trouble()));
    }
    const bool passed = alive && closed && exit.exited && !exit.crashed && exit.code == 0 &&
                        err.isEmpty() && rss1min > 0 && growth < kGrowthLimitMb &&
                        records == soak.exports() && stored.has_value();
    std::printf("  result            %s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
