// SPDX-License-Identifier: MIT
// Picking from the real screen: huepick under Xvfb and openbox over a
// background whose pixels name their own positions, driven with real pointer
// events. A pick is read back the way a user would copy it: F1 over the hex
// field puts "color = #RRGGBB" on the clipboard.
#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <QtMath>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "harness/desk.h"
#include "harness/printers.h"

namespace e2e {
namespace {

// Where the lens shows, from the main window's top-left (logical pixels).
constexpr QPoint kLensOffset{160, 65};

const QString kCaptureTitle = QStringLiteral("captureme");

QRgb pattern(QPoint p, bool inverted = false) {
    const int x = p.x();
    const int y = p.y();
    const QRgb rgb = qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
    return inverted ? qRgb(255 - qRed(rgb), 255 - qGreen(rgb), 255 - qBlue(rgb)) : rgb;
}

QString notation(QRgb c) {
    return QString::asprintf("color = #%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
}

struct DeskOptions {
    QSize screen{1920, 1080};
    std::vector<Monitor> monitors{};
    QString scale{};  // QT_SCALE_FACTOR; none when empty
};

AppOptions app_options(const DeskOptions& options) {
    AppOptions app{.ini = QByteArray("[settings]\nlastcolor=123456\n")};
    if (!options.scale.isEmpty()) {
        app.env.insert(QStringLiteral("QT_SCALE_FACTOR"), options.scale);
    }
    return app;
}

// Xvfb and openbox, the pattern behind everything, and huepick on top.
class PatternDesk : public Desk {
public:
    explicit PatternDesk(const DeskOptions& options)
        : Desk({.screenSize = options.screen, .monitors = options.monitors}, app_options(options)) {
    }

    ~PatternDesk() override {
        for (auto& p : patterns_) {
            stopProcess(*p);
        }
    }

    // Brings everything up; an empty text means success.
    QString bring_up() {
        if (!session().ok()) {
            return session().error();
        }
        if (QString e = show_pattern(false); !e.isEmpty()) {
            return e;
        }
        if (!open()) {
            return QStringLiteral("huepick: ") + error();
        }
        main_ = geometry()->topLeft();
        return {};
    }

    // Starts a (further) pattern window; a newer one covers the older ones.
    // Under another window it cannot draw, so only wait when it is in view.
    QString show_pattern(bool inverted, bool wait_drawn = true) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(session().environment());
        p->setProgram(QStringLiteral(PATTERN_WINDOW_BIN));
        if (inverted) {
            p->setArguments({QStringLiteral("--inverted")});
        }
        p->start();
        dieWithParent(*p, SIGKILL);
        const bool started = p->waitForStarted(3000);
        patterns_.push_back(std::move(p));
        if (!started) {
            return QStringLiteral("pattern window did not start");
        }
        return wait_drawn ? wait_pattern_drawn() : QString();
    }

    QString wait_pattern_drawn() {
        QProcess& last = *patterns_.back();
        if (!pollUntil([&] { return last.canReadLine() || last.waitForReadyRead(50); }, 5000) ||
            !last.readLine().startsWith("ready")) {
            return QStringLiteral("pattern window did not draw: ") + last.readAllStandardError();
        }
        return {};
    }

    QPoint main() const { return main_; }

    // A point of the main window, in device pixels.
    QPoint on_main(QPoint logical) { return toScreen(logical).value_or(QPoint(-1, -1)); }
    QPoint lens_origin() { return on_main(kLensOffset); }

    // Presses and releases a main-window button; returns the capture window
    // once it is viewable.
    std::optional<XWindow> open_capture(Role button, int mouse_button = 1) {
        if (!click(button, mouse_button)) {
            return std::nullopt;
        }
        return wait_capture();
    }

    std::optional<XWindow> wait_capture(int timeout_ms = 3000) {
        std::optional<XWindow> found;
        pollUntil([&] { return (found = session().viewableWindow(kCaptureTitle)).has_value(); },
                  timeout_ms);
        return found;
    }

    // Still open a while after a click it should not close on; a pick
    // closes it within milliseconds.
    bool stays_open() {
        QThread::msleep(200);
        return wait_capture(0).has_value();
    }

    bool capture_gone(int timeout_ms = 3000) {
        return pollUntil([&] { return !session().viewableWindow(kCaptureTitle); }, timeout_ms);
    }

    bool click_at(QPoint device, int button = 1) { return session().clickAt(device, button); }

    // F1 over the hex field, the main window having the keyboard; the
    // clipboard's text once it is `expected`, or the last text seen.
    QString copied(const QString& expected) {
        if (!focus()) {
            return QStringLiteral("<cannot give the main window the keyboard>");
        }
        return copyWithKey(QStringLiteral("F1"), expected)
            .value_or(QStringLiteral("<empty clipboard>"));
    }

    // Opens in sample mode, clicks `device`, and returns what F1 copies
    // afterwards (waiting for `expected`).
    QString sample(QPoint device, QRgb expected) {
        if (!open_capture(Role::SampleButton)) {
            return QStringLiteral("<no capture window>");
        }
        if (!click_at(device)) {
            return QStringLiteral("<cannot click>");
        }
        if (!capture_gone()) {
            return QStringLiteral("<capture window stayed>");
        }
        return copied(notation(expected));
    }

private:
    std::vector<std::unique_ptr<QProcess>> patterns_;
    QPoint main_;
};

#define START(desk)                                      \
    do {                                                 \
        const QString why = (desk).bring_up();           \
        ASSERT_TRUE(why.isEmpty()) << why.toStdString(); \
    } while (0)

// Points away from the main window, which the frozen copy shows too.
std::vector<QPoint> spots_outside(const PatternDesk& desk, QSize screen,
                                  std::vector<QPoint> wanted) {
    const QRect main_area(desk.main(), QSize(qCeil(400 * desk.scale()), qCeil(300 * desk.scale())));
    std::vector<QPoint> kept;
    for (QPoint p : wanted) {
        if (!main_area.contains(p) && QRect(QPoint(0, 0), screen).contains(p)) {
            kept.push_back(p);
        }
    }
    return kept;
}

// ---------------------------------------------------------------- sample mode

TEST(CapturePick, PicksExactPixelsOnA2560x1600ScreenUpToTheLastColumnAndRow) {
    const QSize screen(2560, 1600);
    PatternDesk desk({.screen = screen});
    START(desk);

    // The window covers the whole screen with no frame.
    ASSERT_TRUE(desk.open_capture(Role::SampleButton));
    const std::optional<XWindow> capture = desk.wait_capture();
    ASSERT_TRUE(capture);
    EXPECT_EQ(desk.session().x().geometry(*capture), QRect(QPoint(0, 0), screen));
    ASSERT_TRUE(desk.click_at({0, 0}, 3));
    ASSERT_TRUE(desk.capture_gone());

    for (QPoint p : spots_outside(desk, screen,
                                  {{2559, 1599},
                                   {0, 0},
                                   {2559, 0},
                                   {0, 1599},
                                   {1, 1},
                                   {1600, 1599},
                                   {2558, 1598},
                                   {257, 1283},
                                   {1999, 77},
                                   {1024, 1024}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

// Two monitors side by side, the scale factor as the user set it.
class ScaledPick : public ::testing::TestWithParam<const char*> {};

TEST_P(ScaledPick, PicksTheExactDevicePixelOnEveryMonitor) {
    const QSize screen(2560, 1024);
    PatternDesk desk({.screen = screen,
                      .monitors = {{.geometry = {0, 0, 1280, 1024}, .primary = true},
                                   {.geometry = {1280, 0, 1280, 1024}}},
                      .scale = QString::fromLatin1(GetParam())});
    START(desk);

    // One window over both monitors, showing the screen exactly as it was:
    // not a pixel shifted, scaled or smoothed.
    const QImage before = desk.session().screenshot();
    ASSERT_FALSE(before.isNull());
    const std::optional<XWindow> capture = desk.open_capture(Role::SampleButton);
    ASSERT_TRUE(capture);
    const std::optional<QRect> covered = desk.session().x().geometry(*capture);
    ASSERT_TRUE(covered);
    EXPECT_TRUE(covered->contains(QRect(QPoint(0, 0), screen)))
        << covered->width() << "x" << covered->height() << "+" << covered->x() << "+"
        << covered->y();
    // The main window is left out: its text caret blinks.
    const QRect main_area(desk.main(), QSize(qCeil(400 * desk.scale()), qCeil(300 * desk.scale())));
    const auto first_difference = [&](const QImage& during) -> std::optional<QPoint> {
        if (during.size() != before.size()) {
            return QPoint(-1, -1);
        }
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x) {
                if (during.pixel(x, y) != before.pixel(x, y) && !main_area.contains(x, y)) {
                    return QPoint(x, y);
                }
            }
        }
        return std::nullopt;
    };
    std::optional<QPoint> differs;
    EXPECT_TRUE(pollUntil(
        [&] { return !(differs = first_difference(desk.session().screenshot())).has_value(); },
        3000))
        << "first differing pixel: " << differs->x() << "," << differs->y();
    ASSERT_TRUE(desk.click_at({5, 5}, 3));
    ASSERT_TRUE(desk.capture_gone());

    // Odd device pixels, which logical positions skip at these scales, the
    // edges of both monitors and the last column and row of the desktop.
    for (QPoint p : spots_outside(desk, screen,
                                  {{1, 1},
                                   {3, 1021},
                                   {1279, 1023},
                                   {1280, 0},
                                   {1281, 513},
                                   {2559, 1023},
                                   {2557, 3},
                                   {1919, 767},
                                   {641, 99}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledPick, ::testing::Values("1", "1.5", "2"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             // Test names take letters, digits and underscores only.
                             std::string name = std::string("x") + info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(CapturePick, PicksExactPixelsAtScale1_25) {
    const QSize screen(1920, 1080);
    PatternDesk desk({.screen = screen, .scale = QStringLiteral("1.25")});
    START(desk);
    for (QPoint p :
         spots_outside(desk, screen, {{1, 1}, {2, 2}, {3, 3}, {1919, 1079}, {1001, 5}})) {
        SCOPED_TRACE(::testing::Message() << "pixel " << p.x() << "," << p.y());
        EXPECT_EQ(desk.sample(p, pattern(p)), notation(pattern(p)));
    }
}

// ---------------------------------------------------------------- frozen copy, cancel

TEST(CapturePick, PicksTheFrozenCopyAndEachOpeningTakesAFreshOne) {
    PatternDesk desk({});
    START(desk);
    const QPoint p(100, 900);

    ASSERT_TRUE(desk.open_capture(Role::SampleButton));
    // The screen changes under the open window: the pick is the old pixel.
    ASSERT_EQ(desk.show_pattern(true, false), QString());
    ASSERT_TRUE(desk.click_at(p));
    ASSERT_TRUE(desk.capture_gone());
    ASSERT_EQ(desk.wait_pattern_drawn(), QString());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));

    // The next opening shows the changed screen.
    EXPECT_EQ(desk.sample(p, pattern(p, true)), notation(pattern(p, true)));
}

TEST(CapturePick, RightPressCancelsWithTheColourUntouchedAndNothingReopens) {
    PatternDesk desk({});
    START(desk);
    const QString before = desk.copied(QStringLiteral("color = #123456"));
    ASSERT_EQ(before, QStringLiteral("color = #123456"));

    // Cancel on the frozen image of the sample button itself: its release
    // must not reach the real button underneath.
    ASSERT_TRUE(desk.open_capture(Role::SampleButton));
    ASSERT_TRUE(desk.click_at(desk.on_main(centre(Role::SampleButton)), 3));
    EXPECT_TRUE(desk.capture_gone());
    EXPECT_FALSE(desk.wait_capture(500)) << "the release opened it again";
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));

    // Keys do nothing either.
    ASSERT_TRUE(desk.open_capture(Role::SampleButton));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Escape")));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Return")));
    EXPECT_TRUE(desk.stays_open()) << "a key closed the window";
    ASSERT_TRUE(desk.click_at({5, 5}, 3));
    EXPECT_TRUE(desk.capture_gone());
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));
}

// ---------------------------------------------------------------- opening

TEST(CapturePick, OpensOnReleaseForAnyButtonEvenAwayFromTheButton) {
    PatternDesk desk({});
    START(desk);

    // The right button on the sample button opens it in sample mode.
    ASSERT_TRUE(desk.open_capture(Role::SampleButton, 3));
    const QPoint p(100, 900);
    ASSERT_TRUE(desk.click_at(p));
    ASSERT_TRUE(desk.capture_gone());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));

    // Pressed on the magnifier, released far away: it opens, in magnify mode
    // (the first click shows the lens and picks nothing).
    XSession& s = desk.session();
    ASSERT_TRUE(s.mouseMove(desk.on_main(centre(Role::MagnifyButton))) && s.mouseDown(1));
    ASSERT_TRUE(s.mouseMove({1800, 1000}) && s.mouseUp(1));
    ASSERT_TRUE(desk.wait_capture());
    ASSERT_TRUE(desk.click_at({1500, 120}));
    EXPECT_TRUE(desk.stays_open()) << "a magnify-mode click on the capture picked";
    ASSERT_TRUE(desk.click_at({1500, 120}, 3));
    ASSERT_TRUE(desk.capture_gone());
    EXPECT_EQ(desk.copied(notation(pattern(p))), notation(pattern(p)));
}

// ---------------------------------------------------------------- magnify mode

TEST(CapturePick, MagnifierShowsTheLensBesideTheMainWindowAndPicksThroughIt) {
    PatternDesk desk({});
    START(desk);
    // The lens lies over the main window's image in the frozen copy, so what
    // it enlarges there is this.
    const QImage before = desk.session().screenshot();
    ASSERT_FALSE(before.isNull());
    const QPoint first(1500, 120);
    const QPoint lens = desk.lens_origin();
    ASSERT_EQ(lens, desk.main() + QPoint(160, 65));

    ASSERT_TRUE(desk.open_capture(Role::MagnifyButton));
    ASSERT_TRUE(desk.click_at(first));
    EXPECT_TRUE(desk.stays_open()) << "the first click only shows the lens";
    QImage shot;
    ASSERT_TRUE(pollUntil(
        [&] {
            shot = desk.session().screenshot();
            return !shot.isNull() && (shot.pixel(lens + QPoint(75, 75)) & 0xFFFFFF) ==
                                         (pattern(first + QPoint(8, 8)) & 0xFFFFFF);
        },
        3000))
        << "the lens is not drawn at the main window + (160, 65)";
    // Lens pixel d shows source pixel floor(d * 20 / 150) of the block from
    // (x - 2, y - 2); checked well inside the disc.
    for (int dy = 40; dy < 110; dy += 7) {
        for (int dx = 40; dx < 110; dx += 7) {
            const QPoint source = first - QPoint(2, 2) + QPoint(dx * 20 / 150, dy * 20 / 150);
            ASSERT_EQ(shot.pixel(lens + QPoint(dx, dy)) & 0xFFFFFF, pattern(source) & 0xFFFFFF)
                << "lens pixel " << dx << "," << dy;
        }
    }
    // Outside the lens the frozen screen is unchanged.
    EXPECT_EQ(shot.pixel(lens + QPoint(1, 1)), before.pixel(lens + QPoint(1, 1)));
    EXPECT_EQ(shot.pixel(first), before.pixel(first));

    // Lens offset (19, 19) shows the clicked pixel itself, but lies in the
    // square's corner outside the disc: it is a click on the capture there,
    // which redraws the lens, in the same place, for that point.
    const QPoint corner = lens + QPoint(19, 19);
    ASSERT_TRUE(desk.click_at(corner));
    EXPECT_TRUE(desk.stays_open()) << "a click outside the disc picked";
    EXPECT_TRUE(pollUntil(
        [&] {
            shot = desk.session().screenshot();
            return !shot.isNull() &&
                   shot.pixel(lens + QPoint(75, 75)) == before.pixel(corner + QPoint(8, 8));
        },
        3000))
        << "the lens does not show the corner's neighbourhood";

    // A click inside the disc picks the source pixel that lens pixel shows.
    ASSERT_TRUE(desk.click_at(lens + QPoint(75, 75)));
    ASSERT_TRUE(desk.capture_gone());
    const QRgb picked = before.pixel(corner + QPoint(8, 8));
    EXPECT_EQ(desk.copied(notation(picked)), notation(picked));
}

TEST(CapturePick, MagnifierFirstClickChangesNothing) {
    PatternDesk desk({});
    START(desk);
    ASSERT_TRUE(desk.open_capture(Role::MagnifyButton));
    ASSERT_TRUE(desk.click_at({1500, 120}));
    EXPECT_TRUE(desk.stays_open());
    ASSERT_TRUE(desk.click_at({1500, 120}, 3));
    ASSERT_TRUE(desk.capture_gone());
    EXPECT_EQ(desk.copied(QStringLiteral("color = #123456")), QStringLiteral("color = #123456"));
}

TEST(CapturePick, MagnifierAtScale1_5PicksTheDevicePixelTheLensShows) {
    PatternDesk desk({.scale = QStringLiteral("1.5")});
    START(desk);
    const QPoint first(1501, 121);
    ASSERT_TRUE(desk.open_capture(Role::MagnifyButton));
    ASSERT_TRUE(desk.click_at(first));
    EXPECT_TRUE(desk.stays_open());
    // The lens is 225 device pixels across and shows 20 device pixels: lens
    // pixel 113 shows block pixel floor(113 * 20 / 225) = 10.
    const QPoint inside = desk.lens_origin() + QPoint(113, 113);
    ASSERT_TRUE(desk.click_at(inside));
    ASSERT_TRUE(desk.capture_gone());
    const QRgb picked = pattern(first + QPoint(8, 8));
    EXPECT_EQ(desk.copied(notation(picked)), notation(picked));
}

}  // namespace
}  // namespace e2e
