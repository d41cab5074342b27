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
        : m_session({.screenSize = size}),
          m_backdrop(m_session.display()),
          m_app(m_session, {.ini = QByteArray("[settings]\nlastcolor=102030\n")}) {}

    bool setUp(QString* why);
    // Press, release, picking window, pick click: one whole pick.
    bool pick(Pick& p, QString* why);
    double grab(QString* why);
    qint64 huepickPid() const { return m_app.pid(); }
    qint64 probePid() const { return m_probe->pid(); }

private:
    // From the release of the sample button to the frozen copy on the
    // screen; the picking window, or 0.
    XWindow openPicking(Pick& p, QString* why);
    bool pickColour(XWindow picking, Pick& p, QString* why);
    QPoint nextTarget();

    e2e::XSession m_session;
    Backdrop m_backdrop;
    e2e::XAppRun m_app;
    std::unique_ptr<e2e::wayland::SessionProgram> m_probe;
    QRect m_main;
    QPoint m_sample;
    QPoint m_swatch;
    int m_nextCell = 0;
};

bool CaptureBench::setUp(QString* why) {
    if (!m_session.ok() || !m_backdrop.ok()) {
        *why = QStringLiteral("no desktop: ") + m_session.error();
        return false;
    }
    if (!m_app.launch()) {
        *why = m_app.error();
        return false;
    }
    const std::optional<QRect> main = m_app.geometry();
    const auto sample = m_app.toScreen(e2e::centre(Role::SampleButton));
    const auto swatch = m_app.toScreen(e2e::centre(Role::ColourSwatch));
    if (!main || !sample || !swatch) {
        *why = QStringLiteral("the main window has no place on the screen");
        return false;
    }
    m_main = *main;
    m_sample = *sample;
    m_swatch = *swatch;
    if (m_main.intersects(m_backdrop.ticker())) {
        *why = QStringLiteral("the main window covers the ticker");
        return false;
    }
    const std::optional<QRgb> shown = pixelAt(m_session.x(), m_swatch);
    if (shown != kStartColour) {
        *why = QStringLiteral("the colour swatch at %1,%2 shows %3, not the colour of huepick.ini")
                   .arg(m_swatch.x())
                   .arg(m_swatch.y())
                   .arg(shown.value_or(0), 6, 16, QChar(u'0'));
        return false;
    }

    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_session.environment());
    process->setStandardInputFile(QProcess::nullDevice());
    e2e::dieWithParent(*process, SIGKILL);
    process->start(grabProbeBinary(), {});
    if (!process->waitForStarted(5000)) {
        *why = QStringLiteral("cannot start the grab probe: ") + process->errorString();
        return false;
    }
    m_probe = std::make_unique<e2e::wayland::SessionProgram>(std::move(process));
    if (!m_probe->waitLine(QStringLiteral("ready"), 10000)) {
        *why = QStringLiteral("the grab probe did not start: ") + m_probe->stderrText();
        return false;
    }
    return true;
}

// The middle of the next backdrop cell clear of the main window and the
// ticker; every cell has its own colour, so each pick changes the colour.
QPoint CaptureBench::nextTarget() {
    const int cells = m_backdrop.columns() * m_backdrop.rows();
    for (int tries = 0; tries < cells; ++tries) {
        const int n = m_nextCell++ % cells;
        const QRect r = Backdrop::cellRect({n % m_backdrop.columns(), n / m_backdrop.columns()});
        if (!r.intersects(m_main.adjusted(-8, -8, 8, 8)) &&
            !r.intersects(m_backdrop.ticker().adjusted(-8, -8, 8, 8))) {
            return r.center();
        }
    }
    return Backdrop::cellRect({0, 0}).center();
}

bool CaptureBench::pick(Pick& p, QString* why) {
    const XWindow picking = openPicking(p, why);
    return picking != 0 && pickColour(picking, p, why);
}

XWindow CaptureBench::openPicking(Pick& p, QString* why) {
    e2e::XConnection& x = m_session.x();
    m_backdrop.tick(0);
    // Press the sample button, and let the program take the press and show
    // the button pressed before the release is sent.
    if (!x.fakeMotion(m_sample) || !x.fakeButton(1, true)) {
        *why = QStringLiteral("no XTEST");
        return 0;
    }
    x.roundTrip();
    if (!x.ping(m_app.window(), 3000)) {
        *why = QStringLiteral("the main window does not answer");
        return 0;
    }
    QThread::msleep(30);

    m_backdrop.createdWindows();  // only windows made after the release count
    QElapsedTimer released;
    released.start();
    x.fakeButton(1, false);
    // Until the picking window is viewable, the ticker changes with every
    // look, and `shownAt` keeps when each count was on the screen. The copy
    // shows the ticker as it was when the program took it; the screen under
    // a picking window not yet painted, as it was at the mapping.
    std::vector<double> shownAt{0.0};
    std::vector<XWindow> candidates;
    XWindow picking = 0;
    p.viewable = timeUntil(released, [&] {
        m_backdrop.tick(static_cast<int>(shownAt.size()));
        shownAt.push_back(msSince(released));
        if (picking == 0) {
            const std::vector<XWindow> made = m_backdrop.createdWindows();
            candidates.insert(candidates.end(), made.begin(), made.end());
            for (XWindow w : candidates) {
                const auto owner = x.cardinals(w, "_NET_WM_PID");
                if (owner && !owner->empty() && owner->front() == m_app.pid() &&
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
    const int mappedAfter = static_cast<int>(shownAt.size()) - 2;
    const QPoint ticker = m_backdrop.ticker().center();
    std::optional<int> frozen;
    p.painted = timeUntil(
        released,
        [&] {
            const std::optional<QRgb> shown = pixelAt(x, ticker);
            frozen = shown ? Backdrop::countOf(*shown) : std::nullopt;
            return frozen && *frozen < mappedAfter;
        },
        1000);
    if (!std::isnan(p.painted)) {
        // Copied while the count was on the screen, before the next one.
        const auto n = static_cast<std::size_t>(*frozen);
        p.copied = (shownAt[n] + shownAt[n + 1]) / 2.0;
    }
    return picking;
}

bool CaptureBench::pickColour(XWindow picking, Pick& p, QString* why) {
    e2e::XConnection& x = m_session.x();
    const QPoint target = nextTarget();
    const QRgb wanted = Backdrop::cellColour(target / Backdrop::kCell);
    x.fakeMotion(target);
    x.roundTrip();
    x.ping(picking, 3000);
    QElapsedTimer clicked;
    clicked.start();
    x.fakeButton(1, true);
    x.fakeButton(1, false);
    p.colour =
        timeUntil(clicked, [&] { return !x.viewable(picking) && pixelAt(x, m_swatch) == wanted; });
    if (std::isnan(p.colour)) {
        const std::optional<QRgb> shown = pixelAt(x, m_swatch);
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
    ::kill(static_cast<pid_t>(m_probe->pid()), SIGUSR1);
    const std::optional<QString> line = m_probe->waitLine(QString(), 5000);
    if (!line || !line->startsWith(QLatin1String("grab "))) {
        *why = QStringLiteral("grab probe: ") + line.value_or(QStringLiteral("no answer"));
        return NAN;
    }
    return line->section(u' ', 1, 1).toDouble();
}

}  // namespace

std::optional<CaptureResults> runCapture(const Options& options, QSize size) {
    CaptureBench bench(size);
    QString why;
    const QString label = QStringLiteral("picks %1x%2").arg(size.width()).arg(size.height());
    if (!bench.setUp(&why)) {
        std::fprintf(stderr, "bench: %s: %s\n", qPrintable(label), qPrintable(why));
        return std::nullopt;
    }
    CaptureResults r;
    r.size = size;
    QThread::msleep(static_cast<unsigned long>(options.settleMs));
    r.huepickRss.push_back(e2e::rssMb(bench.huepickPid()));
    r.probeRss.push_back(e2e::rssMb(bench.probePid()));
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
        QThread::msleep(static_cast<unsigned long>(options.settleMs));
        r.huepickRss.push_back(e2e::rssMb(bench.huepickPid()));
        r.probeRss.push_back(e2e::rssMb(bench.probePid()));
        if (i >= kWarmUp) {
            r.grab.push_back(grab);
            r.copied.push_back(p.copied);
            r.viewable.push_back(p.viewable);
            r.painted.push_back(p.painted);
            r.paintedUnseen += std::isnan(p.painted) ? 1 : 0;
            r.colour.push_back(p.colour);
        }
        progress(label, i + 1, kWarmUp + options.runs);
    }
    return r;
}

}  // namespace bench
