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
#include <QFile>
#include <QRandomGenerator>
#include <QRegion>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "harness/files.h"
#include "harness/window_points.h"
#include "harness/x_app.h"
#include "harness/x_session.h"

namespace {

using e2e::Role;
using e2e::rssMb;
using e2e::XAppRun;
using e2e::XSession;
using huepick::layout::windowRect;

constexpr int kSampleEveryMs = 10'000;
constexpr double kGrowthLimitMb = 5.0;
// The lens of the magnify mode: a disc of 150 pixels at this offset from the
// main window.
constexpr QPoint kLensCentre{160 + 75, 65 + 75};

constexpr Role kStepButtons[] = {Role::RedUp,     Role::RedDown, Role::GreenUp,
                                 Role::GreenDown, Role::BlueUp,  Role::BlueDown};
constexpr Role kChannelFields[] = {Role::RedField, Role::GreenField, Role::BlueField};
constexpr Role kFields[] = {Role::RedField, Role::GreenField, Role::BlueField, Role::HexField};

// Where a random click on a control may land: the middle half of its
// rectangle, less what the controls stacked above it cover.
QRegion target_of(Role role) {
    const QRect r = windowRect(role);
    QRegion target(r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4));
    for (std::size_t i = static_cast<std::size_t>(role) + 1; i < huepick::layout::kControls.size();
         ++i) {
        target -= windowRect(huepick::layout::kControls[i].role);
    }
    return target;
}

class Soak {
public:
    Soak(XSession& session, XAppRun& app, quint32 seed)
        : session_(session), app_(app), random_(seed) {}

    bool set_up();
    // One random action; false when the program is gone.
    bool step();
    const QString& trouble() const { return trouble_; }
    qint64 actions() const { return actions_; }
    qint64 input_events() const { return events_; }
    int exports() const { return exports_; }
    int picks() const { return picks_; }
    int hides() const { return hides_; }
    int misses() const { return misses_; }

private:
    int pick_number(int low, int high) {
        return low + static_cast<int>(random_.bounded(high - low + 1));
    }
    QPoint inside(const QRect& r) {
        return {pick_number(r.left(), r.right()), pick_number(r.top(), r.bottom())};
    }
    QPoint inside(Role role) {
        const QRegion target = target_of(role);
        QPoint at;
        do {
            at = inside(target.boundingRect());
        } while (!target.contains(at));
        return at;
    }
    // Counts the input events an action sent; records what failed.
    bool sent(bool ok, int events, const char* what) {
        events_ += events;
        if (!ok && trouble_.isEmpty()) {
            trouble_ = QStringLiteral("xdotool failed to %1").arg(QLatin1String(what));
        }
        return ok;
    }
    bool move_to(QPoint local) { return sent(app_.pointAt(local), 1, "move the pointer"); }
    bool click(QPoint local, int button = 1) { return sent(app_.click(local, button), 3, "click"); }
    bool key(const QString& name) { return sent(session_.key(name), 2, "press a key"); }
    bool type(const QString& text) {
        return sent(session_.type(text), 2 * static_cast<int>(text.size()), "type");
    }
    bool focus();
    // Over the background, without a click: re-enables the fields after a
    // right-button copy.
    bool wander() { return move_to(background_); }

    bool type_into_field();
    bool enter_hex();
    bool function_key();
    bool step_click();
    bool step_hold();
    bool pick(bool magnify);
    bool export_record();
    bool copy_field();
    bool hide_and_restore();

    bool capture_open() { return session_.viewableWindow(QStringLiteral("captureme")).has_value(); }
    QString random_hex_text();

    XSession& session_;
    XAppRun& app_;
    QRandomGenerator random_;
    QPoint background_;
    bool focus_lost_ = true;
    QString trouble_;
    qint64 actions_ = 0;
    qint64 events_ = 0;
    int exports_ = 0;
    int picks_ = 0;
    int hides_ = 0;
    int misses_ = 0;  // actions whose effect did not show in time
};

bool Soak::set_up() {
    const std::optional<std::vector<QRect>> shape = session_.x().boundingShape(app_.window());
    // Well clear of every control: a right click there hides the window, and
    // a left one would drag it.
    const std::optional<QPoint> background =
        shape ? e2e::backgroundPoint(*shape, 12) : std::nullopt;
    if (!background) {
        trouble_ = QStringLiteral("no background point in the window's shape");
        return false;
    }
    background_ = *background;
    if (!session_.trayIcon()) {
        trouble_ = QStringLiteral("no tray icon");
        return false;
    }
    return true;
}

bool Soak::focus() {
    if (!focus_lost_) {
        return true;
    }
    if (!app_.focus()) {
        trouble_ = QStringLiteral("the main window cannot get the focus");
        return false;
    }
    focus_lost_ = false;
    return true;
}

QString Soak::random_hex_text() {
    static const char digits[] = "0123456789ABCDEF";
    QString text = QStringLiteral("#");
    for (int i = 0; i < 6; ++i) {
        text += QLatin1Char(digits[random_.bounded(16)]);
    }
    switch (random_.bounded(10)) {
        case 0:
            return text.toLower();  // lower-case digits count as 0
        case 1:
            return text.left(pick_number(1, 6));  // wrong length: ignored
        case 2:
            return text.mid(1);  // no "#"
        default:
            return text;
    }
}

bool Soak::type_into_field() {
    static const char* const odd[] = {"abc", "-5", "1e3", "2.5", " 7", "999", "0x1", "+12"};
    const Role field = kChannelFields[random_.bounded(3)];
    const QString text = random_.bounded(4) == 0 ? QString::fromLatin1(odd[random_.bounded(8)])
                                                 : QString::number(random_.bounded(300));
    return focus() && wander() && move_to(inside(field)) && key(QStringLiteral("ctrl+a")) &&
           type(text);
}

bool Soak::enter_hex() {
    return focus() && wander() && move_to(inside(Role::HexField)) &&
           key(QStringLiteral("ctrl+a")) && type(random_hex_text()) &&
           key(QStringLiteral("Return"));
}

bool Soak::function_key() {
    return focus() && wander() && move_to(inside(Role::HexField)) &&
           key(QStringLiteral("F%1").arg(pick_number(1, 10)));
}

bool Soak::step_click() {
    return click(inside(kStepButtons[random_.bounded(6)]));
}

bool Soak::step_hold() {
    if (!move_to(inside(kStepButtons[random_.bounded(6)])) ||
        !sent(session_.mouseDown(1), 1, "press a button")) {
        return false;
    }
    QThread::msleep(static_cast<unsigned long>(pick_number(50, 400)));
    return sent(session_.mouseUp(1), 1, "release a button");
}

bool Soak::pick(bool magnify) {
    if (!click(inside(magnify ? Role::MagnifyButton : Role::SampleButton))) {
        return false;
    }
    focus_lost_ = true;
    if (!e2e::pollUntil([&] { return capture_open(); }, 3000, 20)) {
        ++misses_;
        return true;  // never click the desktop blind
    }
    // Anywhere on the capture but where the main window and the tray are, so
    // that a capture that closes early cannot pass the click on.
    const QRect screen(0, 0, 1280, 1024 - 40);
    const QRect main_area = app_.geometry().value_or(QRect());
    QPoint at;
    do {
        at = inside(screen);
    } while (main_area.adjusted(-10, -10, 10, 10).contains(at));
    if (!sent(session_.clickAt(at), 3, "click on the capture")) {
        return false;
    }
    if (magnify) {
        // The lens shows at a fixed place beside the main window; a click on
        // its disc picks.
        const double angle = random_.bounded(2.0 * M_PI);
        const double radius = random_.bounded(60.0);
        const QPoint on_disc = kLensCentre + QPoint(static_cast<int>(radius * std::cos(angle)),
                                                    static_cast<int>(radius * std::sin(angle)));
        QThread::msleep(60);
        if (!capture_open() || !click(on_disc)) {
            ++misses_;
        }
    }
    if (!e2e::pollUntil([&] { return !capture_open(); }, 3000, 20)) {
        // Leave with a right-button press, which cancels.
        ++misses_;
        sent(session_.click(3), 2, "cancel the capture");
        if (!e2e::pollUntil([&] { return !capture_open(); }, 3000, 20)) {
            trouble_ = QStringLiteral("the capture window does not go away");
            return false;
        }
    }
    ++picks_;
    return true;
}

bool Soak::export_record() {
    if (!click(inside(Role::ExportButton))) {
        return false;
    }
    ++exports_;
    return true;
}

bool Soak::copy_field() {
    return click(inside(kFields[random_.bounded(4)]), 3) && wander();
}

bool Soak::hide_and_restore() {
    if (!click(background_, 3)) {
        return false;
    }
    focus_lost_ = true;
    if (!app_.waitViewable(false, 3000)) {
        ++misses_;
        return true;
    }
    const std::optional<QRect> icon = session_.trayIcon();
    if (!icon) {
        trouble_ = QStringLiteral("the tray icon went away");
        return false;
    }
    if (!sent(session_.clickAt(icon->center()), 3, "click the tray icon") ||
        !app_.waitViewable(true, 3000)) {
        trouble_ = QStringLiteral("the tray icon does not bring the window back");
        return false;
    }
    ++hides_;
    return true;
}

bool Soak::step() {
    if (!app_.running()) {
        trouble_ = QStringLiteral("huepick is gone");
        return false;
    }
    // Weights: cheap, frequent things first; picks and hiding now and then.
    const int roll = static_cast<int>(random_.bounded(100));
    bool ok = false;
    if (roll < 14) {
        ok = type_into_field();
    } else if (roll < 28) {
        ok = enter_hex();
    } else if (roll < 42) {
        ok = function_key();
    } else if (roll < 56) {
        ok = step_click();
    } else if (roll < 66) {
        ok = step_hold();
    } else if (roll < 71) {
        ok = pick(false);
    } else if (roll < 76) {
        ok = pick(true);
    } else if (roll < 86) {
        ok = export_record();
    } else if (roll < 95) {
        ok = copy_field();
    } else if (roll < 97) {
        ok = hide_and_restore();
    } else {
        ok = wander();
    }
    ++actions_;
    return ok;
}

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
    if (!soak.set_up()) {
        std::fprintf(stderr, "cannot drive huepick: %s\n", qPrintable(soak.trouble()));
        return 1;
    }
    std::printf("soak: %d s at %.1f actions/s, seed %u, display %s, pid %lld\n", seconds, rate,
                seed, qPrintable(session.display()), app.pid());
    std::fflush(stdout);

    const qint64 action_ms = std::llround(1000.0 / rate);
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
        if (spent < action_ms) {
            QThread::msleep(static_cast<unsigned long>(action_ms - spent));
        }
    }
    const double elapsed_s = static_cast<double>(clock.elapsed()) / 1000.0;
    const double rss_end = rssMb(app.pid());

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
    double rss_1min = -1;
    double peak_first = 0;
    double peak_last = 0;
    for (const auto& [at, mb] : samples) {
        if (at == 60) {
            rss_1min = mb;
        }
        if (at <= 60) {
            peak_first = std::max(peak_first, mb);
        }
        if (at >= samples.back().first - 60) {
            peak_last = std::max(peak_last, mb);
        }
    }
    const double growth = peak_last - peak_first;
    std::printf("\nsoak summary\n");
    std::printf("  ran               %.1f s, %lld actions (%.1f/s), %lld input events\n", elapsed_s,
                soak.actions(), static_cast<double>(soak.actions()) / elapsed_s,
                soak.input_events());
    std::printf("  picks             %d, exports %d, hides to the tray %d, late effects %d\n",
                soak.picks(), soak.exports(), soak.hides(), soak.misses());
    std::printf("  RSS at start      %.2f MiB\n", samples.front().second);
    std::printf("  RSS at 1 min      %.2f MiB\n", rss_1min);
    std::printf("  RSS at the end    %.2f MiB\n", rss_end);
    std::printf("  RSS peaks         first minute %.2f MiB, last minute %.2f MiB\n", peak_first,
                peak_last);
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
                        err.isEmpty() && rss_1min > 0 && growth < kGrowthLimitMb &&
                        records == soak.exports() && stored.has_value();
    std::printf("  result            %s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
