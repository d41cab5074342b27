// Start-up benchmark: time from exec to a viewable main window, and the
// resident memory once the program has settled, over several fresh runs
// under Xvfb 1280x1024x24 with openbox.
//
//   startup_bench [runs [poll_ms [NAME=VALUE...]]]
//
// Defaults: 9 runs (at least 7), polling every 10 ms. NAME=VALUE pairs go
// into the program's environment, e.g. QT_DEBUG_PLUGINS=1 when looking for
// where the time goes.
//
// Prints one line per run and the medians; exits 1 when a run fails or a
// median misses its target.
#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness/app_run.h"
#include "harness/x_session.h"

namespace {

using e2e::rss_mb;

constexpr double kTargetMs = 60.0;
constexpr double kTargetRssMb = 35.0;
constexpr int kSettleMs = 2000;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Time the process has spent on a CPU, in ms, from /proc/PID/schedstat; on
// a loaded machine it says more about the program than the wall clock does.
double cpu_ms(qint64 pid) {
    QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!schedstat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return schedstat.readAll().split(' ').first().toDouble() / 1e6;
}

// The main window among the top-level windows openbox has framed (or the
// root's own children when it has not): checked in-process, because
// spawning a tool every 10 ms would load the two cores the program needs.
bool main_window_viewable(e2e::XConnection& x) {
    for (e2e::XWindow frame : x.children(x.root())) {
        if (!x.viewable(frame)) {
            continue;
        }
        if (x.name(frame) == e2e::kMainTitle) {
            return true;
        }
        for (e2e::XWindow client : x.children(frame)) {
            if (x.viewable(client) && x.name(client) == e2e::kMainTitle) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = std::max(7, argc > 1 ? std::atoi(argv[1]) : 9);
    const int poll_us =
        std::max(100, static_cast<int>(1000 * (argc > 2 ? std::atof(argv[2]) : 10)));

    QMap<QString, QString> extra_env;
    for (int i = 3; i < argc; ++i) {
        const QString pair = QString::fromLocal8Bit(argv[i]);
        const qsizetype eq = pair.indexOf(u'=');
        if (eq > 0) {
            extra_env.insert(pair.left(eq), pair.mid(eq + 1));
        }
    }

    e2e::XSession session;
    if (!session.ok()) {
        std::fprintf(stderr, "startup_bench: %s\n", qPrintable(session.error()));
        return 1;
    }
    std::printf(
        "huepick start-up on Xvfb %s 1280x1024x24 with openbox, %d runs, polled every %.1f ms\n",
        qPrintable(session.display()), runs, poll_us / 1000.0);
    std::printf("%4s %12s %8s %10s\n", "run", "viewable ms", "CPU ms", "RSS MiB");

    std::vector<double> times;
    std::vector<double> sizes;
    std::vector<double> cpu_times;
    for (int i = 1; i <= runs; ++i) {
        e2e::AppRun run(session, {.ini = "[settings]\nlastcolor=FF8000\n", .env = extra_env});
        if (!run.start()) {
            std::fprintf(stderr, "startup_bench: %s\n", qPrintable(run.error()));
            return 1;
        }
        // The clock runs from just before the exec, not from the copying.
        qint64 viewable_ns = -1;
        double on_cpu_ms = -1;
        while (run.ns_since_launch() < 10'000'000'000LL) {
            if (main_window_viewable(session.x())) {
                viewable_ns = run.ns_since_launch();
                on_cpu_ms = cpu_ms(run.pid());
                break;
            }
            QThread::usleep(static_cast<unsigned long>(poll_us));
        }
        if (viewable_ns < 0) {
            std::fprintf(stderr, "startup_bench: run %d: no viewable window within 10 s\n", i);
            return 1;
        }
        const double ms = static_cast<double>(viewable_ns) / 1e6;
        QThread::msleep(kSettleMs);
        const double mb = rss_mb(run.pid());
        if (mb < 0) {
            const e2e::ExitInfo exit = run.wait_exit(0);
            std::fprintf(stderr, "startup_bench: run %d: no memory figure; exited %d code %d: %s\n",
                         i, exit.exited, exit.code, qPrintable(run.stderr_text()));
        }
        std::printf("%4d %12.1f %8.1f %10.1f\n", i, ms, on_cpu_ms, mb);
        std::fflush(stdout);
        times.push_back(ms);
        cpu_times.push_back(on_cpu_ms);
        sizes.push_back(mb);
        run.send_signal(SIGTERM);
        run.wait_exit(5000);
    }

    const double time_median = median(times);
    const double size_median = median(sizes);
    std::printf("median %8.1f ms (target <= %.0f)  CPU %.1f ms  %6.1f MiB (target <= %.0f)\n",
                time_median, kTargetMs, median(cpu_times), size_median, kTargetRssMb);
    return time_median <= kTargetMs && size_median <= kTargetRssMb ? 0 : 1;
}
