// SPDX-License-Identifier: MIT
// Picking on a headless Wayland desktop (sway, the real screenshot portal),
// beside the portal's own screenshot as a raw D-Bus client gets it: the
// sample button's release until sway maps the picking window, and the pick
// click until the colour swatch shows the colour (read with grim) with the
// picking window closed.
#include <signal.h>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdio>

#include "backdrop.h"
#include "core/layout.h"
#include "huepick_in_session.h"
#include "sections.h"
#include "sway_events.h"
#include "wayland_session.h"
#include "x_watch.h"

namespace bench {

namespace {

using e2e::wayland::HuepickInSession;
using e2e::wayland::SessionProgram;
using e2e::wayland::WaylandSession;
using huepick::layout::Role;

constexpr QSize kOutput{1920, 1080};
constexpr QRgb kStartColour = 0x102030;
constexpr int kWarmUp = 2;

QPointF centreOf(Role role) {
    return QRectF(huepick::layout::windowRect(role)).center();
}

struct Pick {
    double mapped = NAN;
    double closed = NAN;
    double colour = NAN;
    double look = NAN;  // how long one read of the screen took
};

QElapsedTimer started() {
    QElapsedTimer clock;
    clock.start();
    return clock;
}

class WaylandBench {
public:
    bool setUp(QString* why);
    bool pick(Pick& p, QString* why);
    // The portal's round trip and the reading of its image, in ms.
    std::optional<std::pair<double, double>> portal(QString* why);

private:
    std::optional<QRgb> pixel(QPointF logical) const;
    QPoint nextTarget();

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/huepick-bench-XXXXXX")};
    std::unique_ptr<WaylandSession> m_session;
    std::unique_ptr<HuepickInSession> m_app;
    std::unique_ptr<SwayEvents> m_events;
    std::unique_ptr<SessionProgram> m_probe;
    int m_nextCell = 0;
};

bool WaylandBench::setUp(QString* why) {
    if (!WaylandSession::swayInstalled()) {
        *why = QStringLiteral("sway is not installed");
        return false;
    }
    // The backdrop's cells as the output's background, pixel for pixel.
    QImage cells(kOutput, QImage::Format_RGB32);
    for (int y = 0; y < cells.height(); ++y) {
        for (int x = 0; x < cells.width(); ++x) {
            cells.setPixel(x, y,
                           0xFF000000u | Backdrop::cellColour(QPoint(x, y) / Backdrop::kCell));
        }
    }
    const QString file = m_folder.filePath(QStringLiteral("cells.png"));
    if (!m_folder.isValid() || !cells.save(file) ||
        !QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ReadOther |
                                                    QFile::ExeOther) ||
        !QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther)) {
        *why = QStringLiteral("cannot write the background image");
        return false;
    }
    e2e::wayland::SessionOptions options;
    options.outputSize = kOutput;
    options.backgroundImage = file;
    m_session = std::make_unique<WaylandSession>(options);
    if (!m_session->ok()) {
        *why = m_session->error();
        return false;
    }
    m_events =
        std::make_unique<SwayEvents>(m_session->environment().value(QStringLiteral("SWAYSOCK")));
    if (!m_events->ok()) {
        *why = m_events->error();
        return false;
    }
    m_app = std::make_unique<HuepickInSession>(*m_session, e2e::wayland::iniWithColour("102030"));
    if (!m_app->start()) {
        *why = m_app->error();
        return false;
    }
    const std::optional<QRgb> shown = pixel(m_app->at(centreOf(Role::ColourSwatch)));
    if (shown != kStartColour) {
        *why = QStringLiteral("the colour swatch shows %1, not the colour of huepick.ini")
                   .arg(shown.value_or(0), 6, 16, QChar(u'0'));
        return false;
    }
    QString failed;
    m_probe = m_session->run(portalProbeBinary(), {}, &failed);
    if (!m_probe || !m_probe->waitLine(QStringLiteral("ready"), 10000)) {
        *why = QStringLiteral("the portal probe did not start: ") +
               (m_probe ? m_probe->stderrText() : failed);
        return false;
    }
    return true;
}

std::optional<QRgb> WaylandBench::pixel(QPointF logical) const {
    const std::optional<QColor> c = m_session->pixel(logical.toPoint());
    return c ? std::optional<QRgb>(c->rgb() & 0xFFFFFFu) : std::nullopt;
}

QPoint WaylandBench::nextTarget() {
    const int columns = kOutput.width() / Backdrop::kCell;
    const int cells = columns * (kOutput.height() / Backdrop::kCell);
    const QRect main = m_app->window().adjusted(-8, -8, 8, 8);
    for (int tries = 0; tries < cells; ++tries) {
        const int n = m_nextCell++ % cells;
        const QRect r = Backdrop::cellRect({n % columns, n / columns});
        if (!r.intersects(main)) {
            return r.center();
        }
    }
    return Backdrop::cellRect({0, 0}).center();
}

bool WaylandBench::pick(Pick& p, QString* why) {
    const qint64 pid = m_app->program().pid();
    if (!m_session->move(m_app->at(centreOf(Role::SampleButton))) ||
        !m_session->press(Qt::LeftButton)) {
        *why = QStringLiteral("the virtual pointer does not answer");
        return false;
    }
    // Long enough for the program to take the press and show it.
    QThread::msleep(50);
    m_events->drain();
    QElapsedTimer released;
    released.start();
    m_session->release(Qt::LeftButton);
    std::optional<WindowEvent> mapped;
    while (const std::optional<WindowEvent> e = m_events->next(5000)) {
        if (e->change == QLatin1String("new") && e->pid == pid) {
            mapped = e;
            break;
        }
    }
    if (!mapped) {
        *why = QStringLiteral("sway mapped no picking window within 5 s");
        return false;
    }
    p.mapped = msSince(released);

    const QPoint target = nextTarget();
    const QRgb wanted = Backdrop::cellColour(target / Backdrop::kCell);
    // A picking window too new for sway to show takes no click yet.
    if (!m_app->waitPickingWindows(1) || !m_session->move(target)) {
        *why = QStringLiteral("the picking window did not come up");
        return false;
    }
    QThread::msleep(20);
    QElapsedTimer clicked;
    clicked.start();
    m_session->click(target);
    bool closed = false;
    while (!closed) {
        const std::optional<WindowEvent> e = m_events->next(5000);
        if (!e) {
            *why = QStringLiteral("the picking window did not close after the click");
            return false;
        }
        closed = e->change == QLatin1String("close") && e->id == mapped->id;
    }
    p.closed = msSince(clicked);
    // grim copies a frame at some moment of its run: the colour was there
    // by the end of the first look that saw it.
    while (clicked.elapsed() < 5000) {
        const QElapsedTimer look = started();
        const bool shown = pixel(m_app->at(centreOf(Role::ColourSwatch))) == wanted;
        p.look = msSince(look);
        if (shown) {
            p.colour = msSince(clicked);
            return true;
        }
    }
    *why = QStringLiteral("after the click at %1,%2 the swatch does not show %3")
               .arg(target.x())
               .arg(target.y())
               .arg(wanted, 6, 16, QChar(u'0'));
    return false;
}

std::optional<std::pair<double, double>> WaylandBench::portal(QString* why) {
    ::kill(static_cast<pid_t>(m_probe->pid()), SIGUSR1);
    const std::optional<QString> line = m_probe->waitLine(QString(), 10000);
    if (!line || !line->startsWith(QLatin1String("shot "))) {
        *why = QStringLiteral("portal probe: ") + line.value_or(QStringLiteral("no answer"));
        return std::nullopt;
    }
    return std::pair(line->section(u' ', 1, 1).toDouble(), line->section(u' ', 2, 2).toDouble());
}

}  // namespace

bool runWayland(const Options& options) {
    WaylandBench bench;
    QString why;
    if (!bench.setUp(&why)) {
        std::fprintf(stderr, "bench: Wayland: %s\n", qPrintable(why));
        return false;
    }
    std::vector<double> roundTrip, read, mapped, closed, colour, look;
    for (int i = 0; i < kWarmUp + options.runs; ++i) {
        Pick p;
        std::optional<std::pair<double, double>> shot;
        bool ok = true;
        const auto pick = [&] {
            quiet();
            return bench.pick(p, &why);
        };
        const auto screenshot = [&] {
            quiet();
            return (shot = bench.portal(&why)).has_value();
        };
        if (i % 2 == 0) {
            ok = pick() && screenshot();
        } else {
            ok = screenshot() && pick();
        }
        if (!ok) {
            std::fprintf(stderr, "\nbench: Wayland, pick %d: %s\n", i + 1, qPrintable(why));
            return false;
        }
        if (i >= kWarmUp) {
            roundTrip.push_back(shot->first);
            read.push_back(shot->first + shot->second);
            mapped.push_back(p.mapped);
            closed.push_back(p.closed);
            colour.push_back(p.colour);
            look.push_back(p.look);
        }
        progress(QStringLiteral("Wayland picks"), i + 1, kWarmUp + options.runs);
    }

    const Summary floor = summarise(roundTrip);
    const Summary withRead = summarise(read);
    const Summary mappedSummary = summarise(mapped);
    Table table(QStringLiteral("Picking on headless sway %1x%2, scale 1, real portal "
                               "(floor: the portal's own screenshot)")
                    .arg(kOutput.width())
                    .arg(kOutput.height()));
    table.add(QStringLiteral("portal screenshot round trip"), floor, std::nullopt,
              QStringLiteral("-"));
    table.add(QStringLiteral("portal screenshot + reading the PNG"), withRead, std::nullopt,
              QStringLiteral("-"));
    table.add(QStringLiteral("release -> picking window mapped"), mappedSummary, floor,
              difference(mappedSummary, floor));
    table.add(QStringLiteral("click -> picking window closed"), summarise(closed), std::nullopt,
              QStringLiteral("-"));
    table.add(QStringLiteral("click -> colour seen in the swatch"), summarise(colour), std::nullopt,
              QStringLiteral("-"));
    table.addNote(QStringLiteral("mapped, closed: sway's window events; colour: the end of the "
                                 "first grim read that saw it after the close (one read: %1)")
                      .arg(number(median(look), QStringLiteral("ms"))));
    table.print();
    return true;
}

}  // namespace bench
