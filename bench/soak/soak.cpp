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

#include "harness/app_run.h"
#include "harness/process.h"
#include "harness/x_session.h"

namespace {

using e2e::AppRun;
using e2e::XSession;
using e2e::XWindow;
using e2e::rss_mb;

constexpr int kSampleEveryMs = 10'000;
constexpr double kGrowthLimitMb = 5.0;

// Window pixels of the controls, as designed: where a click may land, inside
// the control and off its edges.
constexpr QRect kStepButtons[] = {
    {123, 67, 26, 21},   // Picture1, red up
    {114, 93, 26, 20},   // Picture2, red down
    {132, 127, 28, 18},  // Picture4, green up
    {129, 155, 26, 16},  // Picture5, green down
    {111, 192, 24, 28},  // Picture6, blue up
    {126, 215, 26, 26},  // Picture7, blue down
};
constexpr QRect kFields[] = {
    {168, 95, 18, 13},   // txt_R
    {181, 155, 18, 13},  // txt_G
    {176, 216, 18, 13},  // txt_B
    {288, 115, 48, 15},  // show_hex
};
constexpr QRect kDropper{290, 180, 26, 24};
constexpr QRect kMagnifier{250, 212, 32, 26};
constexpr QRect kExport{232, 39, 28, 11};  // clear of Picture16 below it
// Picture9, the close button, with a margin: nothing random may land here.
constexpr QRect kCloseGuard{304, 137, 48, 43};
// The lens of the magnify mode: a disc of 150 pixels at this offset from the
// main window.
constexpr QPoint kLensCentre{160 + 75, 65 + 75};

class Soak {
public:
    Soak(XSession& session, AppRun& app, quint32 seed)
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
    // Runs one xdotool command line; `events` input events go out with it.
    bool xdo(const QStringList& args, int events);
    bool move_to(QPoint local) {
        const QPoint at = origin_ + local;
        return xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())},
                   1);
    }
    bool click(QPoint local, int button = 1);
    bool keys(const QStringList& names);
    bool focus();
    // Over the background, without a click: re-enables the fields after a
    // right-button copy.
    bool wander();

    bool type_into_field();
    bool enter_hex();
    bool function_key();
    bool step_click();
    bool step_hold();
    bool pick(bool magnify);
    bool export_record();
    bool copy_field();
    bool hide_and_restore();

    std::optional<XWindow> capture_window();
    std::optional<QPoint> tray_icon();
    QString random_hex_text();

    XSession& session_;
    AppRun& app_;
    QRandomGenerator random_;
    QPoint origin_;
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
    const std::optional<QRect> where = app_.geometry();
    const std::optional<std::vector<QRect>> shape = session_.x().bounding_shape(app_.window());
    if (!where || !shape) {
        trouble_ = QStringLiteral("no geometry for the main window");
        return false;
    }
    origin_ = where->topLeft();
    // A background point well inside the shape and clear of every control.
    QRegion inside;
    for (const QRect& r : *shape) {
        inside += r;
    }
    QRegion controls;
    for (const QRect& r : kStepButtons) {
        controls += r.adjusted(-10, -10, 10, 10);
    }
    for (const QRect& r : kFields) {
        controls += r.adjusted(-20, -20, 20, 20);
    }
    for (const QRect& r : {kDropper, kMagnifier, kExport, kCloseGuard}) {
        controls += r.adjusted(-10, -10, 10, 10);
    }
    controls += QRect(20, 15, 95, 80);    // the colour swatch and Text1
    controls += QRect(235, 60, 50, 45);   // Picture16
    controls += QRect(200, 215, 50, 50);  // Picture15
    for (int y = 20; y < 280 && background_.isNull(); y += 4) {
        for (int x = 20; x < 380; x += 4) {
            const QRegion square(x - 6, y - 6, 13, 13);
            if (square.subtracted(inside).isEmpty() && square.intersected(controls).isEmpty()) {
                background_ = QPoint(x, y);
                break;
            }
        }
    }
    if (background_.isNull()) {
        trouble_ = QStringLiteral("no background point in the window's shape");
        return false;
    }
    if (!tray_icon()) {
        trouble_ = QStringLiteral("no tray icon");
        return false;
    }
    return true;
}

bool Soak::xdo(const QStringList& args, int events) {
    const e2e::ToolResult r = session_.xdotool(args, 5000);
    events_ += events;
    if (!r.ok()) {
        trouble_ = QStringLiteral("xdotool %1: %2").arg(args.join(u' '), r.describe());
        return false;
    }
    return true;
}

bool Soak::click(QPoint local, int button) {
    // The server takes the motion before the button, so no --sync is needed.
    const QPoint at = origin_ + local;
    return xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                QStringLiteral("click"), QString::number(button)},
               3);
}

bool Soak::keys(const QStringList& names) {
    QStringList args{QStringLiteral("key")};
    args << names;
    return xdo(args, 2 * static_cast<int>(names.size()));
}

bool Soak::focus() {
    if (!focus_lost_) {
        return true;
    }
    if (!session_.activate(app_.window())) {
        trouble_ = QStringLiteral("the main window cannot get the focus");
        return false;
    }
    focus_lost_ = false;
    return true;
}

bool Soak::wander() {
    return move_to(background_);
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
    const QRect field = kFields[random_.bounded(3)];
    const QString text = random_.bounded(4) == 0 ? QString::fromLatin1(odd[random_.bounded(8)])
                                                 : QString::number(random_.bounded(300));
    return focus() && wander() && move_to(inside(field)) && keys({QStringLiteral("ctrl+a")}) &&
           xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"),
                QStringLiteral("--"), text},
               2 * static_cast<int>(text.size()));
}

bool Soak::enter_hex() {
    const QString text = random_hex_text();
    return focus() && wander() && move_to(inside(kFields[3])) && keys({QStringLiteral("ctrl+a")}) &&
           xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"),
                QStringLiteral("--"), text},
               2 * static_cast<int>(text.size())) &&
           keys({QStringLiteral("Return")});
}

bool Soak::function_key() {
    return focus() && wander() && move_to(inside(kFields[3])) &&
           keys({QStringLiteral("F%1").arg(pick_number(1, 10))});
}

bool Soak::step_click() {
    return click(inside(kStepButtons[random_.bounded(6)]));
}

bool Soak::step_hold() {
    const QPoint at = origin_ + inside(kStepButtons[random_.bounded(6)]);
    if (!xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
              QStringLiteral("mousedown"), QStringLiteral("1")},
             2)) {
        return false;
    }
    QThread::msleep(static_cast<unsigned long>(pick_number(50, 400)));
    return xdo({QStringLiteral("mouseup"), QStringLiteral("1")}, 1);
}

std::optional<XWindow> Soak::capture_window() {
    for (XWindow w : session_.x().find_named(QStringLiteral("captureme"))) {
        if (session_.x().viewable(w)) {
            return w;
        }
    }
    return std::nullopt;
}

bool Soak::pick(bool magnify) {
    if (!click(inside(magnify ? kMagnifier : kDropper))) {
        return false;
    }
    focus_lost_ = true;
    if (!e2e::poll_until([&] { return capture_window().has_value(); }, 3000, 20)) {
        ++misses_;
        return true;  // never click the desktop blind
    }
    // Anywhere on the capture but where the main window and the tray are, so
    // that a capture that closes early cannot pass the click on.
    const QRect screen(0, 0, 1280, 1024 - 40);
    const QRect main_area(origin_, QSize(400, 300));
    QPoint at;
    do {
        at = inside(screen);
    } while (main_area.adjusted(-10, -10, 10, 10).contains(at));
    if (!xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
              QStringLiteral("click"), QStringLiteral("1")},
             3)) {
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
        if (!capture_window() || !click(on_disc)) {
            ++misses_;
        }
    }
    if (!e2e::poll_until([&] { return !capture_window().has_value(); }, 3000, 20)) {
        // Leave with a right-button press, which cancels.
        ++misses_;
        xdo({QStringLiteral("click"), QStringLiteral("3")}, 2);
        if (!e2e::poll_until([&] { return !capture_window().has_value(); }, 3000, 20)) {
            trouble_ = QStringLiteral("the capture window does not go away");
            return false;
        }
    }
    ++picks_;
    return true;
}

bool Soak::export_record() {
    if (!click(inside(kExport))) {
        return false;
    }
    ++exports_;
    return true;
}

bool Soak::copy_field() {
    return click(inside(kFields[random_.bounded(4)]), 3) && wander();
}

std::optional<QPoint> Soak::tray_icon() {
    const XWindow tray = session_.tray_window();
    if (tray == 0) {
        return std::nullopt;
    }
    for (XWindow w : session_.x().find_named(QStringLiteral("huepick"), tray)) {
        if (session_.x().viewable(w)) {
            if (const std::optional<QRect> g = session_.x().geometry(w)) {
                return g->center();
            }
        }
    }
    return std::nullopt;
}

bool Soak::hide_and_restore() {
    if (!click(background_, 3)) {
        return false;
    }
    focus_lost_ = true;
    if (!app_.wait_viewable(false, 3000)) {
        ++misses_;
        return true;
    }
    const std::optional<QPoint> icon = tray_icon();
    if (!icon) {
        trouble_ = QStringLiteral("the tray icon went away");
        return false;
    }
    if (!xdo({QStringLiteral("mousemove"), QString::number(icon->x()), QString::number(icon->y()),
              QStringLiteral("click"), QStringLiteral("1")},
             3) ||
        !app_.wait_viewable(true, 3000)) {
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
    AppRun app(session, {.ini = "[settings]\nlastcolor=FF8000\n"});
    if (!app.start() || !app.wait_for_window()) {
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
    std::vector<std::pair<int, double>> samples{{0, rss_mb(app.pid())}};
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
            samples.emplace_back(due / 1000, rss_mb(app.pid()));
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
    const double rss_end = rss_mb(app.pid());

    // End through the close button, as a user would.
    bool closed = false;
    if (app.running()) {
        if (const std::optional<QPoint> at = app.to_screen({328, 158})) {
            closed = session.mouse_move(*at) && session.click(1);
        }
    }
    const e2e::ExitInfo exit = app.wait_exit(10000);
    const QString err = app.stderr_text();
    const QByteArray log = [&] {
        QFile file(app.app_dir() + QStringLiteral("/huepick.html"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const qsizetype records = log.count("<FONT FACE=arial SIZE=3 COLOR=");
    const std::optional<QString> stored =
        app.ini_value(QStringLiteral("settings"), QStringLiteral("lastcolor"));

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
