// SPDX-License-Identifier: MIT
// Picking on an X desktop, timed from outside through the X server alone:
// the sample button's release until the picking window is viewable and until
// it shows the frozen copy, then the pick click until the colour swatch shows
// the picked colour with the picking window gone. Each pick alternates with
// one copy by the grab probe; both programs' memory is read after each pair.
#include <signal.h>
#include <QProcess>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <memory>

#include "backdrop.h"
#include "harness/process.h"
#include "harness/window_points.h"
#include "harness/x_app.h"
#include "harness/x_session.h"
#include "sections.h"
#include "session_program.h"
#include "x_watch.h"

namespace bench {

namespace {

using e2e::Role;
using e2e::XWindow;

constexpr QRgb kStartColour = 0x102030;
const QString kPickingTitle = QStringLiteral("captureme");
// Picks whose times are left out; their memory still counts.
constexpr int kWarmUp = 2;

struct Pick {
    double copied = NAN;
    double viewable = NAN;
    double painted = NAN;
    double colour = NAN;
};

class CaptureBench {
public:
    explicit CaptureBench(QSize size)
        : session_({.screenSize = size}),
          backdrop_(session_.display()),
          app_(session_, {.ini = QByteArray("[settings]\nlastcolor=102030\n")}) {}

    bool set_up(QString* why);
    // Press, release, picking window, pick click: one whole pick.
    bool pick(Pick& p, QString* why);
    double grab(QString* why);
    qint64 huepick_pid() const { return app_.pid(); }
    qint64 probe_pid() const { return probe_->pid(); }

private:
    // From the release of the sample button to the frozen copy on the
    // screen; the picking window, or 0.
    XWindow open_picking(Pick& p, QString* why);
    bool pick_colour(XWindow picking, Pick& p, QString* why);
    QPoint next_target();

    e2e::XSession session_;
    Backdrop backdrop_;
    e2e::XAppRun app_;
    std::unique_ptr<e2e::wayland::SessionProgram> probe_;
    QRect main_;
    QPoint sample_;
    QPoint swatch_;
    int next_cell_ = 0;
};

bool CaptureBench::set_up(QString* why) {
    if (!session_.ok() || !backdrop_.ok()) {
        *why = QStringLiteral("no desktop: ") + session_.error();
        return false;
    }
    if (!app_.launch()) {
        *why = app_.error();
        return false;
    }
    const std::optional<QRect> main = app_.geometry();
    const auto sample = app_.toScreen(e2e::centre(Role::SampleButton));
    const auto swatch = app_.toScreen(e2e::centre(Role::ColourSwatch));
    if (!main || !sample || !swatch) {
        *why = QStringLiteral("the main window has no place on the screen");
        return false;
    }
    main_ = *main;
    sample_ = *sample;
    swatch_ = *swatch;
    if (main_.intersects(backdrop_.ticker())) {
        *why = QStringLiteral("the main window covers the ticker");
        return false;
    }
    const std::optional<QRgb> shown = pixel_at(session_.x(), swatch_);
    if (shown != kStartColour) {
        *why = QStringLiteral("the colour swatch at %1,%2 shows %3, not the colour of huepick.ini")
                   .arg(swatch_.x())
                   .arg(swatch_.y())
                   .arg(shown.value_or(0), 6, 16, QChar(u'0'));
        return false;
    }

    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(session_.environment());
    process->setStandardInputFile(QProcess::nullDevice());
    e2e::dieWithParent(*process, SIGKILL);
    process->start(grab_probe_binary(), {});
    if (!process->waitForStarted(5000)) {
        *why = QStringLiteral("cannot start the grab probe: ") + process->errorString();
        return false;
    }
    probe_ = std::make_unique<e2e::wayland::SessionProgram>(std::move(process));
    if (!probe_->waitLine(QStringLiteral("ready"), 10000)) {
        *why = QStringLiteral("the grab probe did not start: ") + probe_->stderrText();
        return false;
    }
    return true;
}

// The middle of the next backdrop cell clear of the main window and the
// ticker; every cell has its own colour, so each pick changes the colour.
QPoint CaptureBench::next_target() {
    const int cells = backdrop_.columns() * backdrop_.rows();
    for (int tries = 0; tries < cells; ++tries) {
        const int n = next_cell_++ % cells;
        const QRect r = Backdrop::cell_rect({n % backdrop_.columns(), n / backdrop_.columns()});
        if (!r.intersects(main_.adjusted(-8, -8, 8, 8)) &&
            !r.intersects(backdrop_.ticker().adjusted(-8, -8, 8, 8))) {
            return r.center();
        }
    }
    return Backdrop::cell_rect({0, 0}).center();
}

bool CaptureBench::pick(Pick& p, QString* why) {
    const XWindow picking = open_picking(p, why);
    return picking != 0 && pick_colour(picking, p, why);
}

XWindow CaptureBench::open_picking(Pick& p, QString* why) {
    e2e::XConnection& x = session_.x();
    backdrop_.tick(0);
    // Press the sample button, and let the program take the press and show
    // the button pressed before the release is sent.
    if (!x.fakeMotion(sample_) || !x.fakeButton(1, true)) {
        *why = QStringLiteral("no XTEST");
        return 0;
    }
    x.roundTrip();
    if (!x.ping(app_.window(), 3000)) {
        *why = QStringLiteral("the main window does not answer");
        return 0;
    }
    QThread::msleep(30);

    backdrop_.created_windows();  // only windows made after the release count
    QElapsedTimer released;
    released.start();
    x.fakeButton(1, false);
    // Until the picking window is viewable, the ticker changes with every
    // look, and `shown_at` keeps when each count was on the screen. The copy
    // shows the ticker as it was when the program took it; the screen under
    // a picking window not yet painted, as it was at the mapping.
    std::vector<double> shown_at{0.0};
    std::vector<XWindow> candidates;
    XWindow picking = 0;
    p.viewable = time_until(released, [&] {
        backdrop_.tick(static_cast<int>(shown_at.size()));
        shown_at.push_back(ms_since(released));
        if (picking == 0) {
            const std::vector<XWindow> made = backdrop_.created_windows();
            candidates.insert(candidates.end(), made.begin(), made.end());
            for (XWindow w : candidates) {
                const auto owner = x.cardinals(w, "_NET_WM_PID");
                if (owner && !owner->empty() && owner->front() == app_.pid() &&
                    x.name(w) == kPickingTitle) {
                    picking = w;
                }
            }
        }
        return picking != 0 && x.viewable(picking);
    });
    if (std::isnan(p.viewable)) {
        *why = QStringLiteral("no picking window within 5 s");
        return 0;
    }
    // Mapped after the look before the last one; a copy taken before that
    // shows an older count. A copy taken between the two last looks cannot
    // be told from the screen, and is not timed.
    const int mapped_after = static_cast<int>(shown_at.size()) - 2;
    const QPoint ticker = backdrop_.ticker().center();
    std::optional<int> frozen;
    p.painted = time_until(
        released,
        [&] {
            const std::optional<QRgb> shown = pixel_at(x, ticker);
            frozen = shown ? Backdrop::count_of(*shown) : std::nullopt;
            return frozen && *frozen < mapped_after;
        },
        1000);
    if (!std::isnan(p.painted)) {
        // Copied while the count was on the screen, before the next one.
        const auto n = static_cast<std::size_t>(*frozen);
        p.copied = (shown_at[n] + shown_at[n + 1]) / 2.0;
    }
    return picking;
}

bool CaptureBench::pick_colour(XWindow picking, Pick& p, QString* why) {
    e2e::XConnection& x = session_.x();
    const QPoint target = next_target();
    const QRgb wanted = Backdrop::cell_colour(target / Backdrop::kCell);
    x.fakeMotion(target);
    x.roundTrip();
    x.ping(picking, 3000);
    QElapsedTimer clicked;
    clicked.start();
    x.fakeButton(1, true);
    x.fakeButton(1, false);
    p.colour =
        time_until(clicked, [&] { return !x.viewable(picking) && pixel_at(x, swatch_) == wanted; });
    if (std::isnan(p.colour)) {
        const std::optional<QRgb> shown = pixel_at(x, swatch_);
        *why =
            QStringLiteral("after the click at %1,%2 the swatch shows %3, not %4%5")
                .arg(target.x())
                .arg(target.y())
                .arg(shown.value_or(0), 6, 16, QChar(u'0'))
                .arg(wanted & 0xFFFFFFu, 6, 16, QChar(u'0'))
                .arg(x.viewable(picking) ? QStringLiteral(", picking window still up") : QString());
        return false;
    }
    return true;
}

double CaptureBench::grab(QString* why) {
    ::kill(static_cast<pid_t>(probe_->pid()), SIGUSR1);
    const std::optional<QString> line = probe_->waitLine(QString(), 5000);
    if (!line || !line->startsWith(QLatin1String("grab "))) {
        *why = QStringLiteral("grab probe: ") + line.value_or(QStringLiteral("no answer"));
        return NAN;
    }
    return line->section(u' ', 1, 1).toDouble();
}

}  // namespace

std::optional<CaptureResults> run_capture(const Options& options, QSize size) {
    CaptureBench bench(size);
    QString why;
    const QString label = QStringLiteral("picks %1x%2").arg(size.width()).arg(size.height());
    if (!bench.set_up(&why)) {
        std::fprintf(stderr, "bench: %s: %s\n", qPrintable(label), qPrintable(why));
        return std::nullopt;
    }
    CaptureResults r;
    r.size = size;
    QThread::msleep(static_cast<unsigned long>(options.settle_ms));
    r.huepick_rss.push_back(e2e::rssMb(bench.huepick_pid()));
    r.probe_rss.push_back(e2e::rssMb(bench.probe_pid()));
    for (int i = 0; i < kWarmUp + options.runs; ++i) {
        Pick p;
        double grab = NAN;
        // Alternate which goes first, so that neither always follows the other.
        bool ok = true;
        const auto pick = [&] {
            quiet();
            return bench.pick(p, &why);
        };
        const auto copy = [&] {
            quiet();
            return !std::isnan(grab = bench.grab(&why));
        };
        if (i % 2 == 0) {
            ok = pick() && copy();
        } else {
            ok = copy() && pick();
        }
        if (!ok) {
            std::fprintf(stderr, "\nbench: %s, pick %d: %s\n", qPrintable(label), i + 1,
                         qPrintable(why));
            return std::nullopt;
        }
        // Settled: whatever the program frees after a pick, it has freed.
        QThread::msleep(static_cast<unsigned long>(options.settle_ms));
        r.huepick_rss.push_back(e2e::rssMb(bench.huepick_pid()));
        r.probe_rss.push_back(e2e::rssMb(bench.probe_pid()));
        if (i >= kWarmUp) {
            r.grab.push_back(grab);
            r.copied.push_back(p.copied);
            r.viewable.push_back(p.viewable);
            r.painted.push_back(p.painted);
            r.painted_unseen += std::isnan(p.painted) ? 1 : 0;
            r.colour.push_back(p.colour);
        }
        progress(label, i + 1, kWarmUp + options.runs);
    }
    return r;
}

}  // namespace bench
