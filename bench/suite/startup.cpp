// SPDX-License-Identifier: MIT
// Start-up beside its floor: huepick and a bare Qt window program, started in
// turn on the same desktop, each timed from just before the exec until its
// window is viewable and until it shows its own pixels; then its CPU time so
// far and, once settled, its resident memory.
#include <QProcess>
#include <QThread>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>

#include "backdrop.h"
#include "harness/process.h"
#include "harness/window_points.h"
#include "harness/x_app.h"
#include "harness/x_session.h"
#include "procfs.h"
#include "sections.h"
#include "x_watch.h"

namespace bench {

namespace {

// Colours no backdrop cell has, so that each window's own pixels stand out.
constexpr QRgb kHuepickColour = 0x102030;
constexpr QRgb kBareColour = 0x20C040;
const QString kBareTitle = QStringLiteral("huepick bench bare window");

struct Launch {
    double viewableMs = NAN;
    double paintedMs = NAN;
    double cpuMs = NAN;
    double rssMb = NAN;
};

struct Series {
    std::vector<double> viewable, painted, cpu, rss;
    void add(const Launch& l) {
        viewable.push_back(l.viewableMs);
        painted.push_back(l.paintedMs);
        cpu.push_back(l.cpuMs);
        rss.push_back(l.rssMb);
    }
};

// Times one program's window: `sinceExec` gives the milliseconds since just
// before its exec, `local` is a pixel of the window that shows `colour` once
// the window is painted.
std::optional<Launch> watch(e2e::XSession& session, qint64 pid, const QString& title, QPoint local,
                            QRgb colour, const std::function<double()>& sinceExec, int settleMs,
                            QString* why) {
    e2e::XConnection& x = session.x();
    Launch l;
    e2e::XWindow window = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && window == 0) {
        window = x.topLevel(title, pid);
        if (window == 0) {
            QThread::usleep(kPollMicroseconds);
        }
    }
    if (window == 0) {
        *why = QStringLiteral("no window \"%1\" within 10 s").arg(title);
        return std::nullopt;
    }
    l.viewableMs = sinceExec();
    while (clock.elapsed() < 10000) {
        const std::optional<QRect> where = x.geometry(window);
        if (where && pixelAt(x, where->topLeft() + local) == colour) {
            l.paintedMs = sinceExec();
            l.cpuMs = cpuMs(pid);
            break;
        }
        QThread::usleep(kPollMicroseconds);
    }
    if (std::isnan(l.paintedMs)) {
        *why = QStringLiteral("\"%1\" never showed its colour").arg(title);
        return std::nullopt;
    }
    QThread::msleep(static_cast<unsigned long>(settleMs));
    l.rssMb = e2e::rssMb(pid);
    return l;
}

std::optional<Launch> launchHuepick(e2e::XAppRun& run, int settleMs, QString* why) {
    quiet();
    if (!run.start()) {
        *why = run.error();
        return std::nullopt;
    }
    const auto l = watch(
        run.session(), run.pid(), e2e::kMainTitle, e2e::centre(e2e::Role::ColourSwatch),
        kHuepickColour, [&] { return static_cast<double>(run.nsSinceLaunch()) / 1e6; }, settleMs,
        why);
    run.sendSignal(SIGTERM);
    // Only one huepick runs per user and display: the next waits for this one.
    if (!run.waitExit(5000).exited) {
        *why = QStringLiteral("huepick did not end on SIGTERM");
        return std::nullopt;
    }
    return l;
}

std::optional<Launch> launchBare(e2e::XSession& session, int settleMs, QString* why) {
    quiet();
    QProcess bare;
    bare.setProcessEnvironment(session.environment());
    bare.setStandardInputFile(QProcess::nullDevice());
    bare.setStandardOutputFile(QProcess::nullDevice());
    e2e::dieWithParent(bare, SIGKILL);
    QElapsedTimer sinceExec;
    sinceExec.start();
    bare.start(bareWindowBinary(), {QStringLiteral("#20C040")});
    if (!bare.waitForStarted(5000)) {
        *why = QStringLiteral("cannot start the bare window: ") + bare.errorString();
        return std::nullopt;
    }
    const auto l = watch(
        session, bare.processId(), kBareTitle, QPoint(200, 150), kBareColour,
        [&] { return msSince(sinceExec); }, settleMs, why);
    e2e::stopProcess(bare);
    return l;
}

}  // namespace

bool runStartup(const Options& options, QSize size) {
    e2e::XSession session({.screenSize = size});
    Backdrop backdrop(session.display());
    if (!session.ok() || !backdrop.ok()) {
        std::fprintf(stderr, "bench: start-up: no desktop: %s\n", qPrintable(session.error()));
        return false;
    }
    e2e::XAppRun run(session, {.ini = QByteArray("[settings]\nlastcolor=102030\n")});
    Series huepick, bare;
    QString why;
    // One unmeasured launch of each first: the files are then in the page
    // cache for every measured one.
    const int warmUp = 1;
    for (int i = 0; i < warmUp + options.runs; ++i) {
        std::optional<Launch> a, b;
        // Alternate which goes first, so that neither always follows the
        // other's exit.
        if (i % 2 == 0) {
            a = launchHuepick(run, options.settleMs, &why);
            b = a ? launchBare(session, options.settleMs, &why) : std::nullopt;
        } else {
            b = launchBare(session, options.settleMs, &why);
            a = b ? launchHuepick(run, options.settleMs, &why) : std::nullopt;
        }
        if (!a || !b) {
            std::fprintf(stderr, "bench: start-up run %d: %s\n", i + 1, qPrintable(why));
            return false;
        }
        if (i >= warmUp) {
            huepick.add(*a);
            bare.add(*b);
        }
        progress(QStringLiteral("start-up"), i + 1, warmUp + options.runs);
    }

    const auto ratio = [](const std::vector<double>& mine, const std::vector<double>& floor) {
        return QStringLiteral("x%1").arg(medianRatio(mine, floor), 0, 'f', 2);
    };
    Table table(QStringLiteral("Start-up on Xvfb %1x%2 with openbox (floor: a bare Qt window)")
                    .arg(size.width())
                    .arg(size.height()));
    table.add(QStringLiteral("exec -> window viewable"), summarise(huepick.viewable),
              summarise(bare.viewable), ratio(huepick.viewable, bare.viewable));
    table.add(QStringLiteral("exec -> window painted"), summarise(huepick.painted),
              summarise(bare.painted), ratio(huepick.painted, bare.painted));
    table.add(QStringLiteral("CPU time to painted window"), summarise(huepick.cpu),
              summarise(bare.cpu), ratio(huepick.cpu, bare.cpu));
    table.add(QStringLiteral("RSS %1 ms after painted").arg(options.settleMs),
              summarise(huepick.rss), summarise(bare.rss), ratio(huepick.rss, bare.rss),
              QStringLiteral("MiB"));
    table.addNote(QStringLiteral("ratio: median of the paired runs' huepick/bare ratios"));
    table.print();
    return true;
}

}  // namespace bench
