#include "ui/capture_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "core/colour_model.h"
#include "platform/pointer_locator.h"
#include "ui/pick_art.h"
#include "ui/window_shape.h"

namespace huepick {

namespace {

// The release of the button whose press cancelled the window would otherwise
// land on whatever lies under the pointer once the window is gone, and the main
// window's buttons act on release. This eats it; a new press means it went
// elsewhere.
class StrayReleaseFilter : public QObject {
public:
    explicit StrayReleaseFilter(Qt::MouseButton button) : QObject(qApp), m_button(button) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (m_done) {
            return false;
        }
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == m_button) {
            finish();
            return true;
        }
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            finish();
        }
        return false;
    }

private:
    void finish() {
        m_done = true;
        deleteLater();
    }

    Qt::MouseButton m_button;
    bool m_done = false;
};

}  // namespace

// The capture and the lens: each reports presses and clicks (a left press and
// release on the same control), in the window's coordinates; the capture
// paints the frozen screen.
class CaptureWindow::Surface : public QWidget {
public:
    Surface(CaptureWindow* window, const char* name) : QWidget(window), m_window(window) {
        setObjectName(QLatin1String(name));
    }

    bool paintsCapture = false;

    void press(Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            m_leftPressed = true;
        } else if (button == Qt::RightButton) {
            m_window->cancel(button);
        }
    }
    // Where the release happens does not matter: the capture covers the
    // whole screen, and the pointer's device position decides what a click
    // means.
    void release(Qt::MouseButton button, QPointF windowPos) {
        const bool wasPressed = m_leftPressed;
        m_leftPressed = false;
        if (button == Qt::LeftButton && wasPressed) {
            m_window->clicked(windowPos);
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (paintsCapture) {
            QPainter painter(this);
            m_window->paintCapture(painter, event->rect());
        }
    }
    void mousePressEvent(QMouseEvent* event) override { press(event->button()); }
    // A quick second click on the capture is a click like the first.
    void mouseDoubleClickEvent(QMouseEvent* event) override { press(event->button()); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        release(event->button(), mapTo(m_window, event->position()));
    }

private:
    CaptureWindow* m_window;
    bool m_leftPressed = false;
};

CaptureWindow::CaptureWindow(ColourModel& model, PointerLocator& pointer, DesktopGrab grab,
                             QWidget* anchor)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_model(model),
      m_pointer(pointer),
      m_anchor(anchor),
      m_grab(std::move(grab)),
      m_lensMask(lensMask()),
      m_disc(discOfMask(m_lensMask)) {
    setObjectName(QStringLiteral("captureWindow"));
    setWindowTitle(QStringLiteral("captureme"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The frozen screen covers everything; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);

    m_capture = new Surface(this, "capture");
    m_capture->paintsCapture = true;
    m_capture->setAttribute(Qt::WA_OpaquePaintEvent);

    // The lens is drawn by the capture, on whole device pixels; this control
    // above it only takes the lens's clicks and pointer.
    m_lens = new Surface(this, "lens");
    m_lens->setAttribute(Qt::WA_NoSystemBackground);
    m_lens->setGeometry(0, 0, lens::kSize, lens::kSize);
    m_lens->hide();
}

CaptureWindow::~CaptureWindow() = default;

void CaptureWindow::open() {
    m_capture->setCursor(m_model.captureMode() == CaptureMode::Magnify ? magnifierCursor()
                                                                       : eyedropperCursor());
    m_lens->setCursor(eyedropperCursor());
    coverDesktop();
    m_capture->setGeometry(rect());
    // A new window maps on top of the others; no raise needed.
    show();
    activateWindow();
    applyShape(*m_lens, m_lensMask, qRgb(0, 0, 0));
}

void CaptureWindow::coverDesktop() {
    std::vector<ScreenInfo> screens;
    int current = -1;
    create();
    const QScreen* now = windowHandle() != nullptr ? windowHandle()->screen() : nullptr;
    const QList<QScreen*> all = QGuiApplication::screens();
    for (int i = 0; i < all.size(); ++i) {
        screens.push_back({all[i]->geometry(), all[i]->devicePixelRatio()});
        current = all[i] == now ? i : current;
    }
    setGeometry(coveringWindowGeometry(screens, current, m_grab.area));
}

// Asked afresh each time: a window manager may still move the window after it
// maps, by less than a logical pixel.
QPoint CaptureWindow::deviceOrigin() const {
    return m_pointer.deviceOrigin(*windowHandle());
}

// ---------------------------------------------------------------- painting

void CaptureWindow::paintCapture(QPainter& painter, const QRect& logicalRect) {
    const double f = devicePixelRatioF();
    const QPoint origin = deviceOrigin();
    const QRect device = ScreenMapping{{0, 0}, f}.deviceCovering(logicalRect);
    // Work in device pixels so that every capture pixel lands on exactly one
    // screen pixel, whatever the scale.
    painter.setWorldTransform(QTransform::fromScale(1.0 / f, 1.0 / f));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect wanted = device.translated(origin);
    const QRect shown = wanted.intersected(m_grab.area);
    if (shown != wanted) {
        painter.fillRect(device, Qt::black);
    }
    if (!shown.isEmpty()) {
        painter.drawImage(shown.topLeft() - origin, m_grab.image,
                          shown.translated(-m_grab.area.topLeft()));
    }
    if (m_lens->isVisible() && !m_lensView.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(m_lensOrigin - origin, m_lensView);
    }
}

// ---------------------------------------------------------------- clicks

// Qt routes a click to the capture or the lens by its logical position, which
// at fractional scales on a desktop of several monitors can stray from the
// device pixel under the pointer. So every click goes by that device pixel:
// on the lens's disc it picks through the lens, elsewhere (the corners of the
// lens's square included) it is a click on the capture.
void CaptureWindow::clicked(QPointF local) {
    const QPoint at = m_pointer.devicePixel(*windowHandle(), local);
    const QRect lensRect = lensDeviceRect();
    if (!lensRect.isEmpty() && m_disc.containsDevice(at - lensRect.topLeft(), lensRect.width())) {
        pick(pixelAt(lens::sourcePixel(m_lensClick, at - lensRect.topLeft(), lensRect.width())));
        return;
    }
    switch (m_model.captureMode()) {
        case CaptureMode::Sample:
            pick(pixelAt(at));
            break;
        case CaptureMode::Magnify:
            drawLens(at);
            break;
        case CaptureMode::None:
            break;
    }
}

// ---------------------------------------------------------------- the lens

void CaptureWindow::drawLens(QPoint click) {
    const double f = devicePixelRatioF();
    const int size = lens::deviceSize(f);
    const QPoint anchorOrigin =
        m_anchor && m_anchor->windowHandle() ? m_pointer.deviceOrigin(*m_anchor->windowHandle())
                                             : QPoint(0, 0);
    const QRect oldPlace = lensDeviceRect();

    m_lensClick = click;
    m_lensOrigin = lens::deviceOrigin(anchorOrigin, f);
    // Pixels of the block outside the capture (a click within two pixels of
    // the screen's left or top edge, or near its right or bottom edge) show
    // black: there is nothing there to enlarge, and black reads as "nothing".
    m_lensView = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
    const QPoint block = lens::blockOrigin(click);
    for (int dy = 0; dy < size; ++dy) {
        auto* line = reinterpret_cast<QRgb*>(m_lensView.scanLine(dy));
        const int sy = block.y() + lens::sourceIndex(dy, size);
        for (int dx = 0; dx < size; ++dx) {
            line[dx] = m_disc.containsDevice({dx, dy}, size)
                           ? pixelAt({block.x() + lens::sourceIndex(dx, size), sy})
                           : 0;
        }
    }
    const QImage ring = lensRing(size);
    if (!ring.isNull()) {
        QPainter painter(&m_lensView);
        // Only over the disc: the corners stay the capture's.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.drawImage(0, 0, ring);
    }

    const QPoint windowOrigin = deviceOrigin();
    const ScreenMapping local{{0, 0}, f};
    m_lens->move(local.toLogical(m_lensOrigin - windowOrigin));
    m_lens->show();
    m_lens->raise();
    for (const QRect& place : {oldPlace, lensDeviceRect()}) {
        if (!place.isEmpty()) {
            m_capture->update(local.logicalCovering(place.translated(-windowOrigin)));
        }
    }
}

QRect CaptureWindow::lensDeviceRect() const {
    if (!m_lens->isVisible() || m_lensView.isNull()) {
        return {};
    }
    return QRect(m_lensOrigin, m_lensView.size());
}

// ---------------------------------------------------------------- pick, cancel

// Opaque black outside the copy.
QRgb CaptureWindow::pixelAt(QPoint device) const {
    const std::optional<QPoint> pixel = imagePixel(device, m_grab.area);
    if (!pixel || !m_grab.image.rect().contains(*pixel)) {
        return qRgb(0, 0, 0);
    }
    return m_grab.image.pixel(*pixel) | 0xFF000000u;
}

void CaptureWindow::pick(QRgb pixel) {
    if (m_closing) {
        return;
    }
    m_model.pick(pixel);
    finish();
    // Show the picked colour at once, ahead of freeing this window's
    // screen-sized buffers, which takes longer on large screens.
    if (m_anchor && m_anchor->isVisible()) {
        m_anchor->repaint();
    }
}

void CaptureWindow::cancel(Qt::MouseButton button) {
    if (m_closing) {
        return;
    }
    new StrayReleaseFilter(button);
    finish();
}

void CaptureWindow::finish() {
    m_closing = true;
    hide();
    // Called from inside this window's own mouse handling: delete once that
    // has returned.
    deleteLater();
}

// ---------------------------------------------------------------- the window's own events

void CaptureWindow::mousePressEvent(QMouseEvent* event) {
    m_capture->press(event->button());
}

void CaptureWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    m_capture->press(event->button());
}

void CaptureWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_capture->release(event->button(), event->position());
}

// No key picks or cancels.
void CaptureWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void CaptureWindow::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

}  // namespace huepick
