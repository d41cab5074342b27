// The picking window on the offscreen platform, with a fake screen whose pixels
// name their own positions and a pointer placed in device pixels. The same
// tests run at device pixel ratio 1 and, through QT_SCALE_FACTOR, at 1.5.
#include "ui/captureme.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QtMath>
#include <memory>
#include <string>
#include <vector>

#include "ui/pick_art.h"
#include "core/pick_geometry.h"
#include "fake_screen.h"
#include "core/colour.h"

namespace huepick::testing {
namespace {

std::string hex6(std::int32_t v) {
    return QStringLiteral("%1").arg(v, 6, 16, QLatin1Char('0')).toUpper().toStdString();
}

std::int32_t value_of(QRgb c) {
    return color_value(qRed(c), qGreen(c), qBlue(c));
}

// Everything the hand-over writes, in order.
class RecordingTarget : public PickTarget {
public:
    void paint_colorme(std::int32_t v) override { calls.push_back("colorme " + hex6(v)); }
    void set_channel(Channel c, std::int16_t v) override {
        const char* name = c == Channel::Red ? "R " : c == Channel::Green ? "G " : "B ";
        calls.push_back(name + std::to_string(v));
    }
    void set_hex_text(const QString& text) override {
        calls.push_back("hex " + text.toStdString());
    }
    std::vector<std::string> calls;
};

// What the hand-over of the colour `c` writes.
std::vector<std::string> handed_over(QRgb c) {
    const QString hex = QString::asprintf("#%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
    return {"colorme " + hex6(value_of(c)), "R " + std::to_string(qRed(c)),
            "G " + std::to_string(qGreen(c)), "B " + std::to_string(qBlue(c)),
            "hex " + hex.toStdString()};
}

// The main window as far as the picking window cares, counting the releases
// that reach it.
class MainStandIn : public QWidget {
public:
    int releases = 0;

protected:
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Small enough that at ratio 2 the lens still lies inside the window.
        screen_->image = pattern_image({800, 600});
        screen_->area = QRect(0, 0, 800, 600);
        main_.setGeometry(20, 30, 400, 300);
    }

    void TearDown() override {
        delete window_.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void open(CaptureMode mode) {
        state_.capture_mode = mode;
        window_ = new captureme(state_, target_, &main_, std::make_unique<FakeScreen>(screen_));
        window_->Form_Load();
        ASSERT_TRUE(window_->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
        ratio_ = window_->devicePixelRatioF();
    }

    // Kept, as the window is gone after a pick.
    double ratio() const { return ratio_; }
    int lens_size() const { return lens::deviceSize(ratio()); }
    QPoint window_origin() const {
        return ScreenMapping{{0, 0}, ratio()}.toDevice(window_->pos());
    }
    QPoint lens_origin() const {
        return lens::deviceOrigin(ScreenMapping{{0, 0}, ratio()}.toDevice(main_.pos()), ratio());
    }
    // The colour the fake screen shows at a device position.
    QRgb shown_at(QPoint device) const {
        const QPoint p = device - screen_->area.topLeft();
        return screen_->image.rect().contains(p) ? screen_->image.pixel(p) : qRgb(0, 0, 0);
    }

    // A press and release at the logical point nearest the device pixel, on
    // whatever control is there, with the pointer on that device pixel.
    void click(QPoint device, Qt::MouseButton button = Qt::LeftButton) {
        screen_->pointer = device;
        // The logical pixel that holds the device pixel.
        const QPoint in_window = device - window_origin();
        const QPoint local(qFloor(in_window.x() / ratio()), qFloor(in_window.y() / ratio()));
        QTest::mouseClick(window_->windowHandle(), button, {}, local);
    }
    void click_lens(QPoint lensPixel, Qt::MouseButton button = Qt::LeftButton) {
        click(lens_origin() + lensPixel, button);
    }
    // Checks that the lens shows the block for a click on `at`: every pixel
    // of the disc not under the decorative ring shows its source pixel (black
    // off the desktop), and the corners show nothing. Returns how many pixels
    // showing the off-desktop black were checked.
    int expect_lens_for(QPoint at) {
        const QImage& view = window_->lens_view();
        const int s = lens_size();
        EXPECT_EQ(view.size(), QSize(s, s));
        const LensDisc disc = disc_of_mask(lens_mask());
        const QImage ring = lens_ring(s);
        int checked = 0;
        int off_desktop = 0;
        for (int y = 0; y < view.height(); ++y) {
            for (int x = 0; x < view.width(); ++x) {
                if (!disc.containsDevice({x, y}, s)) {
                    EXPECT_EQ(qAlpha(view.pixel(x, y)), 0) << "corner pixel " << x << "," << y;
                    continue;
                }
                if (!ring.isNull() && qAlpha(ring.pixel(x, y)) != 0) {
                    continue;
                }
                const QPoint source = lens::sourcePixel(at, {x, y}, s);
                EXPECT_EQ(view.pixel(x, y), shown_at(source) | 0xFF000000u)
                    << "lens pixel " << x << "," << y;
                ++checked;
                off_desktop += screen_->area.contains(source) ? 0 : 1;
                if (HasFailure()) {
                    return off_desktop;
                }
            }
        }
        EXPECT_GT(checked, s * s / 2);
        return off_desktop;
    }

    bool window_gone() {
        return QTest::qWaitFor([this] { return window_.isNull(); }, 1000);
    }

    AppState state_;
    RecordingTarget target_;
    MainStandIn main_;
    std::shared_ptr<FakeScreenState> screen_ = std::make_shared<FakeScreenState>();
    QPointer<captureme> window_;
    double ratio_ = 1.0;
};

// ---------------------------------------------------------------- opening

TEST_F(CaptureTest, GrabsOnceBeforeItIsVisibleThenCoversTheDesktopWithTheLensHidden) {
    open(CaptureMode::Sample);
    EXPECT_EQ(screen_->grabs, 1);
    EXPECT_FALSE(screen_->grabbed_while_visible);
    EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window_->windowFlags() & Qt::WindowStaysOnTopHint);
    const QRect covered = ScreenMapping{{0, 0}, ratio()}.deviceCovering(window_->geometry());
    EXPECT_TRUE(covered.contains(screen_->area));
    EXPECT_EQ(window_->Picture1->geometry(), window_->rect());
    EXPECT_FALSE(window_->Picture2->isVisible());
    EXPECT_TRUE(window_->lens_device_rect().isEmpty());
}

TEST_F(CaptureTest, PaintsEveryCapturePixelOnItsOwnDevicePixel) {
    open(CaptureMode::Sample);
    const QImage shown = window_->Picture1->grab(QRect(0, 0, 120, 90)).toImage();
    ASSERT_EQ(shown.width(), qRound(120 * ratio()));
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QPoint device = window_origin() + QPoint(x, y);
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, shown_at(device) & 0xFFFFFF)
                << "device pixel " << x << "," << y;
        }
    }
}

TEST_F(CaptureTest, PointersAreTheEyedropperAndTheMagnifierWithTheHotSpotAtTheTip) {
    open(CaptureMode::Sample);
    EXPECT_EQ(window_->Picture1->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window_->Picture1->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(window_->Picture1->cursor().pixmap().size(), QSize(32, 32));
    const QImage eyedropper = window_->Picture1->cursor().pixmap().toImage();
    EXPECT_EQ(window_->Picture2->cursor().pixmap().toImage(), eyedropper);
    delete window_.data();

    open(CaptureMode::Magnify);
    EXPECT_EQ(window_->Picture1->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_NE(window_->Picture1->cursor().pixmap().toImage(), eyedropper);
    EXPECT_EQ(window_->Picture2->cursor().pixmap().toImage(), eyedropper)
        << "over the lens it is the eyedropper in both modes";
}

// ---------------------------------------------------------------- sample mode

TEST_F(CaptureTest, SampleClickHandsOverThePixelUnderThePointerAndCloses) {
    for (QPoint device : {QPoint(10, 11), QPoint(0, 0), QPoint(799, 599), QPoint(301, 7)}) {
        SCOPED_TRACE(::testing::Message() << device.x() << "," << device.y());
        target_.calls.clear();
        open(CaptureMode::Sample);
        click(device);
        EXPECT_EQ(target_.calls, handed_over(shown_at(device)));
        EXPECT_FALSE(window_ && window_->isVisible());
        EXPECT_TRUE(window_gone());
    }
}

TEST_F(CaptureTest, PicksByTheDevicePixelOfThePointerNotTheLogicalEventPosition) {
    open(CaptureMode::Sample);
    // The event lands on a logical point; the pointer is on an odd device
    // pixel that no logical point maps to at ratio 2.
    screen_->pointer = {333, 217};
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(target_.calls, handed_over(shown_at({333, 217})));
}

TEST_F(CaptureTest, SamplePicksTheFrozenCopyNotTheScreenAsItIsNow) {
    open(CaptureMode::Sample);
    const QRgb frozen = shown_at({50, 60});
    screen_->image.fill(Qt::white);
    click({50, 60});
    EXPECT_EQ(target_.calls, handed_over(frozen));
}

TEST_F(CaptureTest, DesktopLeftOfAndAboveTheOriginIsIndexedFromItsTopLeft) {
    screen_->area = QRect(-300, -200, 800, 600);
    open(CaptureMode::Sample);
    click({-299, -150});
    EXPECT_EQ(target_.calls, handed_over(pattern({1, 50})));
}

TEST_F(CaptureTest, PressesAloneMiddleClicksAndKeysDoNothing) {
    open(CaptureMode::Sample);
    screen_->pointer = {40, 40};
    QTest::mousePress(window_->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseRelease(window_->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    target_.calls.clear();
    delete window_.data();

    open(CaptureMode::Sample);
    QTest::mousePress(window_->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_TRUE(target_.calls.empty()) << "a press alone";
    QTest::mouseRelease(window_->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(target_.calls.size(), 5u) << "the click picks";
    delete window_.data();
    target_.calls.clear();

    open(CaptureMode::Sample);
    click({40, 40}, Qt::MiddleButton);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_F1,
                        Qt::Key_A, Qt::Key_Left}) {
        QTest::keyClick(window_, key);
    }
    QTest::keyClick(window_, Qt::Key_F4, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(target_.calls.empty());
    ASSERT_TRUE(window_);
    EXPECT_TRUE(window_->isVisible());
}

// ---------------------------------------------------------------- cancel

TEST_F(CaptureTest, RightPressOnTheCaptureCancelsAndItsReleaseGoesNowhere) {
    main_.show();
    open(CaptureMode::Sample);
    screen_->pointer = {40, 40};
    QTest::mousePress(window_->windowHandle(), Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_FALSE(window_ && window_->isVisible()) << "at the press, not the release";
    EXPECT_TRUE(window_gone());
    EXPECT_TRUE(target_.calls.empty());

    // The release lands where the window was: on the main window.
    QTest::mouseRelease(&main_, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(main_.releases, 0);
    QTest::mouseClick(&main_, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(main_.releases, 1) << "later clicks are the main window's again";
}

TEST_F(CaptureTest, RightPressOnTheLensCancels) {
    open(CaptureMode::Magnify);
    click({200, 200});
    ASSERT_TRUE(window_->Picture2->isVisible());
    const QPoint middle(lens_size() / 2, lens_size() / 2);
    screen_->pointer = lens_origin() + middle;
    QTest::mousePress(window_->windowHandle(), Qt::RightButton, {},
                      window_->Picture2->geometry().center());
    EXPECT_FALSE(window_ && window_->isVisible());
    EXPECT_TRUE(window_gone());
    // The release, as a user's always follows, lands on what lies below.
    main_.show();
    QTest::mouseRelease(&main_, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(main_.releases, 0);
    EXPECT_TRUE(target_.calls.empty());
}

// ---------------------------------------------------------------- magnify mode

TEST_F(CaptureTest, FirstMagnifyClickOnlyShowsTheLensBesideTheMainWindow) {
    open(CaptureMode::Magnify);
    click({300, 200});
    EXPECT_TRUE(target_.calls.empty());
    ASSERT_TRUE(window_->Picture2->isVisible());
    EXPECT_EQ(window_->lens_device_rect(), QRect(lens_origin(), QSize(lens_size(), lens_size())));
    // (160, 65) logical pixels from the main window's top-left.
    EXPECT_EQ(window_->Picture2->mapToGlobal(QPoint(0, 0)), main_.pos() + QPoint(160, 65));
    expect_lens_for({300, 200});
}

TEST_F(CaptureTest, FurtherCaptureClicksRedrawTheLensInTheSamePlace) {
    open(CaptureMode::Magnify);
    click({300, 200});
    const QRect place = window_->lens_device_rect();
    click({20, 550});
    EXPECT_TRUE(target_.calls.empty());
    EXPECT_EQ(window_->lens_device_rect(), place);
    expect_lens_for({20, 550});
}

TEST_F(CaptureTest, ClickInsideTheDiscPicksTheSourcePixelThatLensPixelShows) {
    for (QPoint lensPixel : {QPoint(75, 75), QPoint(19, 75), QPoint(75, 140), QPoint(100, 30)}) {
        SCOPED_TRACE(::testing::Message() << lensPixel.x() << "," << lensPixel.y());
        target_.calls.clear();
        open(CaptureMode::Magnify);
        click({300, 200});
        const QPoint device_pixel = ScreenMapping{{0, 0}, ratio()}.toDevice(lensPixel);
        click_lens(device_pixel);
        const QPoint source = lens::sourcePixel({300, 200}, device_pixel, lens_size());
        EXPECT_EQ(target_.calls, handed_over(shown_at(source)));
        EXPECT_TRUE(window_gone());
    }
}

TEST_F(CaptureTest, ClickInTheLensSquareOutsideTheDiscIsACaptureClick) {
    open(CaptureMode::Magnify);
    click({300, 200});
    const QRect place = window_->lens_device_rect();
    // The top-left corner of the square, (19, 19) included, is not the disc.
    for (QPoint corner : {QPoint(3, 3), QPoint(19, 19)}) {
        const QPoint device_pixel = ScreenMapping{{0, 0}, ratio()}.toDevice(corner);
        click_lens(device_pixel);
        EXPECT_TRUE(target_.calls.empty());
        ASSERT_TRUE(window_);
        EXPECT_EQ(window_->lens_device_rect(), place);
        expect_lens_for(place.topLeft() + device_pixel);
    }
}

TEST_F(CaptureTest, LensShowsBlackWhereItsBlockLeavesTheDesktop) {
    open(CaptureMode::Magnify);
    // Within two pixels of the left and top edges, and at the last column and
    // row.
    for (QPoint at :
         {QPoint(0, 1), QPoint(1, 0), QPoint(0, 0), QPoint(799, 599), QPoint(790, 300)}) {
        SCOPED_TRACE(::testing::Message() << at.x() << "," << at.y());
        click(at);
        EXPECT_GT(expect_lens_for(at), 0);
    }
    // Picking a lens pixel that shows x = -2 hands over black.
    click({0, 1});
    const int s = lens_size();
    click_lens({(2 * 0 + 1) * s / 40 + 3, s / 2});
    EXPECT_EQ(target_.calls, handed_over(qRgb(0, 0, 0)));
}

TEST_F(CaptureTest, LensIsPaintedOnWholeDevicePixelsOverTheCapture) {
    open(CaptureMode::Magnify);
    click({300, 200});
    const QImage& view = window_->lens_view();
    // The whole capture, so that its painting starts on a whole device pixel
    // as it does on the screen.
    const QImage shown = window_->Picture1->grab().toImage();
    const QPoint lens_place = window_->lens_device_rect().topLeft() - window_origin();
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x) {
            const QRgb want = qAlpha(view.pixel(x, y)) == 255
                                  ? view.pixel(x, y)
                                  : shown_at(window_->lens_device_rect().topLeft() + QPoint(x, y));
            ASSERT_EQ(shown.pixel(lens_place + QPoint(x, y)) & 0xFFFFFF, want & 0xFFFFFF)
                << "lens pixel " << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace huepick::testing
