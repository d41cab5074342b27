// SPDX-License-Identifier: MIT
// The picking window on the offscreen platform, with a fake screen whose
// pixels name their own positions and a pointer placed in device pixels. The
// same tests run at several device pixel ratios (QT_SCALE_FACTOR).
#include "ui/capture_window.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QtMath>
#include <memory>

#include "core/colour_model.h"
#include "core/hex_text.h"
#include "core/pick_geometry.h"
#include "fake_desktop.h"
#include "ui/pick_art.h"
#include "ui/picker.h"

namespace huepick::testing {
namespace {

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
        m_desktop = m_fake.make();
        m_picker = std::make_unique<Picker>(m_model, m_desktop, &m_main);
        m_main.setGeometry(20, 30, 400, 300);
        m_main.winId();  // a native window, whose place the lens follows
        m_model.setStoredText(QStringLiteral("FEDCBA"));
    }

    void TearDown() override {
        m_picker.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void open(CaptureMode mode) {
        m_model.setCaptureMode(mode);
        m_picker->start();
        m_session = m_picker->session();
        ASSERT_TRUE(m_session);
        ASSERT_EQ(m_session->windows().size(), 1u);
        m_window = m_session->windows().front();
        ASSERT_TRUE(m_window);
        ASSERT_TRUE(m_window->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
        m_ratio = m_window->devicePixelRatioF();
    }
    void closeWindow() {
        delete m_session.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget* capture() const { return m_window->findChild<QWidget*>(QStringLiteral("capture")); }
    QWidget* lens() const { return m_window->findChild<QWidget*>(QStringLiteral("lens")); }
    FakeScreen& screen() { return *m_fake.screen; }

    // Kept, as the window is gone after a pick.
    double ratio() const { return m_ratio; }
    int lensSize() const { return lens::deviceSize(ratio()); }
    QPoint windowOrigin() const { return ScreenMapping{{0, 0}, ratio()}.toDevice(m_window->pos()); }
    // Where the desktop says the main window is, in device pixels.
    QPoint mainOrigin() const {
        return m_desktop.pointer->deviceOrigin(*m_main.windowHandle()).value();
    }
    QPoint lensOrigin() const { return lens::deviceOrigin(mainOrigin(), ratio()); }
    // The colour the fake screen shows at a device position.
    QRgb shownAt(QPoint device) {
        const QPoint p = device - screen().area.topLeft();
        return screen().image.rect().contains(p) ? screen().image.pixel(p) : qRgb(0, 0, 0);
    }
    // The colour model holds `c` everywhere.
    void expectPicked(QRgb c) {
        EXPECT_EQ(m_model.hexText(), hexOf({qRed(c), qGreen(c), qBlue(c)}));
        EXPECT_EQ(m_model.texts(), (std::array{QString::number(qRed(c)), QString::number(qGreen(c)),
                                               QString::number(qBlue(c))}));
    }
    void expectNothingPicked() { EXPECT_EQ(m_model.hexText(), QStringLiteral("#FEDCBA")); }

    // A press and release at the logical point nearest the device pixel, on
    // whatever control is there, with the pointer on that device pixel.
    void click(QPoint device, Qt::MouseButton button = Qt::LeftButton) {
        screen().pointer = device;
        const QPoint inWindow = device - windowOrigin();
        const QPoint local(qFloor(inWindow.x() / ratio()), qFloor(inWindow.y() / ratio()));
        QTest::mouseClick(m_window->windowHandle(), button, {}, local);
    }
    void clickLens(QPoint lensPixel, Qt::MouseButton button = Qt::LeftButton) {
        click(lensOrigin() + lensPixel, button);
    }

    // Checks on the painted window that the lens shows the block for a click
    // on `at`: every pixel of the disc not under the decorative ring shows its
    // source pixel (black off the desktop), and the corners show the capture.
    // Returns how many pixels showing the off-desktop black were checked.
    int expectLensFor(QPoint at) {
        const QRect place = m_session->lensRect();
        const int s = lensSize();
        EXPECT_EQ(place.size(), QSize(s, s));
        const QImage painted = capture()->grab().toImage();
        const QPoint offset = place.topLeft() - windowOrigin();
        const LensDisc disc = discOfMask(lensMask());
        const QImage ring = lensRing(s);
        int checked = 0;
        int offDesktop = 0;
        for (int y = 0; y < s; ++y) {
            for (int x = 0; x < s; ++x) {
                const QRgb seen = painted.pixel(offset + QPoint(x, y)) & 0xFFFFFF;
                if (!disc.containsDevice({x, y}, s)) {
                    EXPECT_EQ(seen, shownAt(place.topLeft() + QPoint(x, y)) & 0xFFFFFF)
                        << "corner pixel " << x << "," << y;
                } else if (ring.isNull() || qAlpha(ring.pixel(x, y)) == 0) {
                    const QPoint source = lens::sourcePixel(at, {x, y}, s);
                    EXPECT_EQ(seen, shownAt(source) & 0xFFFFFF) << "lens pixel " << x << "," << y;
                    ++checked;
                    offDesktop += screen().area.contains(source) ? 0 : 1;
                }
                if (HasFailure()) {
                    return offDesktop;
                }
            }
        }
        EXPECT_GT(checked, s * s / 2);
        return offDesktop;
    }

    bool windowGone() {
        return QTest::qWaitFor([this] { return m_window.isNull(); }, 1000);
    }

    FakeDesktop m_fake;
    Desktop m_desktop;
    ColourModel m_model;
    MainStandIn m_main;
    std::unique_ptr<Picker> m_picker;
    QPointer<PickSession> m_session;
    QPointer<CaptureWindow> m_window;
    double m_ratio = 1.0;
};

// ---------------------------------------------------------------- opening

TEST_F(CaptureTest, GrabsOnceBeforeItIsVisibleThenCoversTheDesktopWithTheLensHidden) {
    open(CaptureMode::Sample);
    EXPECT_EQ(screen().grabs, 1);
    EXPECT_FALSE(screen().grabbedWhilePicking);
    EXPECT_TRUE(m_window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(m_window->windowFlags() & Qt::WindowStaysOnTopHint);
    const QRect covered = ScreenMapping{{0, 0}, ratio()}.deviceCovering(m_window->geometry());
    EXPECT_TRUE(covered.contains(screen().area));
    EXPECT_EQ(capture()->geometry(), m_window->rect());
    EXPECT_FALSE(lens()->isVisible());
    EXPECT_TRUE(m_session->lensRect().isEmpty());
    // A second start while it is open opens no second window.
    m_picker->start();
    EXPECT_EQ(screen().grabs, 1);
}

TEST_F(CaptureTest, AFailedGrabShowsNothingAndChangesNothing) {
    screen().failure = QStringLiteral("no screen");
    m_model.setCaptureMode(CaptureMode::Sample);
    QSignalSpy finished(m_picker.get(), &Picker::finished);
    ::testing::internal::CaptureStderr();
    m_picker->start();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(m_picker->session(), nullptr);
    EXPECT_EQ(ourLines(err), 1) << err;
    expectNothingPicked();
}

TEST_F(CaptureTest, PaintsEveryCapturePixelOnItsOwnDevicePixel) {
    open(CaptureMode::Sample);
    const QImage shown = capture()->grab(QRect(0, 0, 120, 90)).toImage();
    ASSERT_EQ(shown.width(), qRound(120 * ratio()));
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QPoint device = windowOrigin() + QPoint(x, y);
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, shownAt(device) & 0xFFFFFF)
                << "device pixel " << x << "," << y;
        }
    }
}

TEST_F(CaptureTest, PointersAreTheEyedropperAndTheMagnifierWithTheHotSpotAtTheTip) {
    open(CaptureMode::Sample);
    EXPECT_EQ(capture()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(capture()->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(capture()->cursor().pixmap().size(), QSize(32, 32));
    const QImage eyedropper = capture()->cursor().pixmap().toImage();
    EXPECT_EQ(lens()->cursor().pixmap().toImage(), eyedropper);
    closeWindow();

    open(CaptureMode::Magnify);
    EXPECT_EQ(capture()->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_NE(capture()->cursor().pixmap().toImage(), eyedropper);
    EXPECT_EQ(lens()->cursor().pixmap().toImage(), eyedropper)
        << "over the lens it is the eyedropper in both modes";
}

// ---------------------------------------------------------------- sample mode

TEST_F(CaptureTest, SampleClickPicksThePixelUnderThePointerAndCloses) {
    for (QPoint device : {QPoint(10, 11), QPoint(0, 0), QPoint(799, 599), QPoint(301, 7)}) {
        SCOPED_TRACE(::testing::Message() << device.x() << "," << device.y());
        open(CaptureMode::Sample);
        click(device);
        expectPicked(shownAt(device));
        EXPECT_FALSE(m_window && m_window->isVisible());
        EXPECT_TRUE(windowGone());
    }
}

TEST_F(CaptureTest, PicksByTheDevicePixelOfThePointerNotTheLogicalEventPosition) {
    open(CaptureMode::Sample);
    // The event lands on a logical point; the pointer is on an odd device
    // pixel that no logical point maps to at ratio 2.
    screen().pointer = {333, 217};
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    expectPicked(shownAt({333, 217}));
}

TEST_F(CaptureTest, SamplePicksTheFrozenCopyNotTheScreenAsItIsNow) {
    open(CaptureMode::Sample);
    const QRgb frozen = shownAt({50, 60});
    screen().image.fill(Qt::white);
    click({50, 60});
    expectPicked(frozen);
}

TEST_F(CaptureTest, DesktopLeftOfAndAboveTheOriginIsIndexedFromItsTopLeft) {
    screen().area = QRect(-300, -200, 800, 600);
    open(CaptureMode::Sample);
    click({-299, -150});
    expectPicked(pattern({1, 50}));
}

TEST_F(CaptureTest, PressesAloneMiddleClicksAndKeysDoNothing) {
    open(CaptureMode::Sample);
    screen().pointer = {40, 40};
    QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    expectNothingPicked();
    QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(40, 40));
    expectPicked(shownAt({40, 40}));
    EXPECT_TRUE(windowGone());

    m_model.setStoredText(QStringLiteral("FEDCBA"));
    open(CaptureMode::Sample);
    click({40, 40}, Qt::MiddleButton);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_F1,
                        Qt::Key_A, Qt::Key_Left}) {
        QTest::keyClick(m_window, key);
    }
    QTest::keyClick(m_window, Qt::Key_F4, Qt::AltModifier);
    QCoreApplication::processEvents();
    expectNothingPicked();
    ASSERT_TRUE(m_window);
    EXPECT_TRUE(m_window->isVisible());
}

// ---------------------------------------------------------------- cancel

TEST_F(CaptureTest, RightPressOnTheCaptureCancelsAndItsReleaseGoesNowhere) {
    m_main.show();
    open(CaptureMode::Sample);
    screen().pointer = {40, 40};
    QTest::mousePress(m_window->windowHandle(), Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_FALSE(m_window && m_window->isVisible()) << "at the press, not the release";
    EXPECT_TRUE(windowGone());
    expectNothingPicked();

    // The release lands where the window was: on the main window.
    QTest::mouseRelease(&m_main, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_main.releases, 0);
    QTest::mouseClick(&m_main, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_main.releases, 1) << "later clicks are the main window's again";
}

TEST_F(CaptureTest, RightPressOnTheLensCancels) {
    open(CaptureMode::Magnify);
    click({200, 200});
    ASSERT_TRUE(lens()->isVisible());
    screen().pointer = lensOrigin() + QPoint(lensSize() / 2, lensSize() / 2);
    QTest::mousePress(m_window->windowHandle(), Qt::RightButton, {}, lens()->geometry().center());
    EXPECT_FALSE(m_window && m_window->isVisible());
    EXPECT_TRUE(windowGone());
    // The release, as a user's always follows, lands on what lies below.
    m_main.show();
    QTest::mouseRelease(&m_main, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_main.releases, 0);
    expectNothingPicked();
}

// ---------------------------------------------------------------- magnify mode

TEST_F(CaptureTest, FirstMagnifyClickOnlyShowsTheLensBesideTheMainWindow) {
    open(CaptureMode::Magnify);
    click({300, 200});
    expectNothingPicked();
    ASSERT_TRUE(lens()->isVisible());
    EXPECT_EQ(m_session->lensRect(), QRect(lensOrigin(), QSize(lensSize(), lensSize())));
    // (160, 65) logical pixels from the main window's top-left.
    EXPECT_EQ(lens()->mapToGlobal(QPoint(0, 0)),
              m_main.windowHandle()->position() + QPoint(160, 65));
    expectLensFor({300, 200});
}

TEST_F(CaptureTest, FurtherCaptureClicksRedrawTheLensInTheSamePlace) {
    open(CaptureMode::Magnify);
    click({300, 200});
    const QRect place = m_session->lensRect();
    click({20, 550});
    expectNothingPicked();
    EXPECT_EQ(m_session->lensRect(), place);
    expectLensFor({20, 550});
}

TEST_F(CaptureTest, ClickInsideTheDiscPicksTheSourcePixelThatLensPixelShows) {
    for (QPoint lensPixel : {QPoint(75, 75), QPoint(19, 75), QPoint(75, 140), QPoint(100, 30)}) {
        SCOPED_TRACE(::testing::Message() << lensPixel.x() << "," << lensPixel.y());
        open(CaptureMode::Magnify);
        click({300, 200});
        const QPoint devicePixel = ScreenMapping{{0, 0}, ratio()}.toDevice(lensPixel);
        clickLens(devicePixel);
        expectPicked(shownAt(lens::sourcePixel({300, 200}, devicePixel, lensSize())));
        EXPECT_TRUE(windowGone());
    }
}

TEST_F(CaptureTest, ClickInTheLensSquareOutsideTheDiscIsACaptureClick) {
    open(CaptureMode::Magnify);
    click({300, 200});
    const QRect place = m_session->lensRect();
    // The top-left corner of the square, (19, 19) included, is not the disc.
    for (QPoint corner : {QPoint(3, 3), QPoint(19, 19)}) {
        const QPoint devicePixel = ScreenMapping{{0, 0}, ratio()}.toDevice(corner);
        clickLens(devicePixel);
        expectNothingPicked();
        ASSERT_TRUE(m_window);
        EXPECT_EQ(m_session->lensRect(), place);
        expectLensFor(place.topLeft() + devicePixel);
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
        EXPECT_GT(expectLensFor(at), 0);
    }
    // Picking a lens pixel that shows x = -2 picks black.
    click({0, 1});
    const int s = lensSize();
    clickLens({s / 40 + 3, s / 2});
    expectPicked(qRgb(0, 0, 0));
}

}  // namespace
}  // namespace huepick::testing
