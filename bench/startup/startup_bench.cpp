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

#include "harness/x_app.h"
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = std::max(7, argc > 1 ? std::atoi(argv[1]) : 9);
    const double poll_ms = std::max(0.1, argc > 2 ? std::atof(argv[2]) : 10.0);

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
        qPrintable(session.display()), runs, poll_ms);
    std::printf("%4s %12s %8s %10s\n", "run", "viewable ms", "CPU ms", "RSS MiB");

    std::vector<double> times;
    std::vector<double> sizes;
    std::vector<double> cpu_times;
    for (int i = 1; i <= runs; ++i) {
        e2e::XAppRun run(session, {.ini = "[settings]\nlastcolor=FF8000\n", .env = extra_env});
        if (!run.start()) {
            std::fprintf(stderr, "startup_bench: %s\n", qPrintable(run.error()));
            return 1;
        }
        // The clock runs from just before the exec, not from the copying. The
        // window is looked for over the harness's own connection: spawning
        // a tool every few ms would load the two cores the program needs.
        if (!run.wait_for_window(10000, poll_ms)) {
            std::fprintf(stderr, "startup_bench: run %d: %s\n", i, qPrintable(run.error()));
            return 1;
        }
        const qint64 viewable_ns = run.ns_since_launch();
        const double on_cpu_ms = cpu_ms(run.pid());
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
