// SPDX-License-Identifier: MIT
// A copy that comes later, laid out by screens, as from the desktop portal:
// the picking window is readied while it is on its way, paints nothing until
// it comes (a frame would be seen, even in the copy), then shows it and picks
// from it; a copy that fails or is declined leaves no window behind.
#include <gtest/gtest.h>

#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QtMath>

#include "core/colour_model.h"
#include "core/hex_text.h"
#include "fake_desktop.h"
#include "ui/capture_window.h"
#include "ui/picker.h"

namespace huepick::testing {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

class ReadiedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_ratio = screen->devicePixelRatio();
        const QSize device = (QSizeF(screen->geometry().size()) * m_ratio).toSize();
        m_fake.screen->image = patternImage(device);
        m_fake.screen->area = QRect(QPoint(), device);
        m_fake.screen->layout = ScreenLayout{m_ratio, screen->geometry().topLeft()};
        m_fake.screen->windowsKnowTheirPlace = false;
        m_fake.screen->answersLater = true;
        m_desktop = m_fake.make();
        m_picker = std::make_unique<Picker>(m_model, m_desktop, nullptr);
        m_model.setStoredText(QStringLiteral("FEDCBA"));
        m_model.setCaptureMode(CaptureMode::Sample);
    }

    void TearDown() override {
        m_picker.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static std::vector<QWidget*> captureWindows() {
        std::vector<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("captureWindow")) {
                found.push_back(w);
            }
        }
        return found;
    }

    // Starts a pick and waits until the readied window is exposed, counting
    // the paints of its capture from the start.
    QPointer<QWidget> startReadied() {
        m_picker->start();
        EXPECT_EQ(m_picker->session(), nullptr);
        const std::vector<QWidget*> windows = captureWindows();
        EXPECT_EQ(windows.size(), QGuiApplication::screens().size());
        if (windows.empty()) {
            return nullptr;
        }
        QWidget* capture = windows.front()->findChild<QWidget*>(QStringLiteral("capture"));
        EXPECT_NE(capture, nullptr);
        if (capture != nullptr) {
            m_counter = std::make_unique<PaintCounter>(capture);
        }
        EXPECT_TRUE(QTest::qWaitForWindowExposed(windows.front()));
        QCoreApplication::processEvents();
        return windows.front();
    }

    FakeDesktop m_fake;
    Desktop m_desktop;
    ColourModel m_model;
    std::unique_ptr<Picker> m_picker;
    std::unique_ptr<PaintCounter> m_counter;
    double m_ratio = 1.0;
};

TEST_F(ReadiedWindowTest, PaintsNothingUntilTheCopyComesThenShowsAndPicksItsPixels) {
    const QPointer<QWidget> window = startReadied();
    ASSERT_TRUE(window);
    ASSERT_TRUE(m_counter);
    EXPECT_EQ(m_counter->paints, 0) << "a frame before the copy was there";

    m_fake.grabber->answer();
    ASSERT_NE(m_picker->session(), nullptr);
    ASSERT_EQ(m_picker->session()->windows().size(), 1u);
    EXPECT_EQ(m_picker->session()->windows().front().data(), window.data());
    QTRY_VERIFY(m_counter->paints > 0);
    QWidget* capture = window->findChild<QWidget*>(QStringLiteral("capture"));
    const QImage shown = capture->grab(QRect(0, 0, 100, 80)).toImage();
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, pattern({x, y}) & 0xFFFFFF)
                << "device pixel " << x << "," << y;
        }
    }

    // The window picks from the part of the copy it was given.
    const QPoint local(37, 23);
    const QPoint picked(qFloor(local.x() * m_ratio), qFloor(local.y() * m_ratio));
    QSignalSpy finished(m_picker.get(), &Picker::finished);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, local);
    QTRY_COMPARE(finished.count(), 1);
    EXPECT_TRUE(finished.first().first().toBool());
    const QRgb c = pattern(picked);
    EXPECT_EQ(m_model.hexText(), hexOf({qRed(c), qGreen(c), qBlue(c)}));
}

TEST_F(ReadiedWindowTest, ACopyThatFailsOrIsDeclinedLeavesNoWindowAndTheColour) {
    for (const bool declined : {false, true}) {
        SCOPED_TRACE(declined ? "declined" : "failed");
        const QPointer<QWidget> window = startReadied();
        ASSERT_TRUE(window);
        QSignalSpy finished(m_picker.get(), &Picker::finished);
        ::testing::internal::CaptureStderr();
        if (declined) {
            m_fake.grabber->cancel();
        } else {
            m_fake.screen->failure = QStringLiteral("no portal");
            m_fake.grabber->answer();
            m_fake.screen->failure.clear();
        }
        ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(finished.count(), 1);
        EXPECT_FALSE(finished.first().first().toBool());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
        EXPECT_TRUE(captureWindows().empty());
        EXPECT_EQ(m_model.hexText(), QStringLiteral("#FEDCBA"));
    }
}

}  // namespace
}  // namespace huepick::testing
