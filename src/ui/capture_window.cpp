// SPDX-License-Identifier: MIT
#include "ui/capture_window.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QtMath>

#include "platform/pointer_locator.h"
#include "ui/built_shapes.h"
#include "ui/lens.h"
#include "ui/pick_art.h"

namespace huepick {

// The capture and the lens: both report presses and releases to the window,
// in its coordinates; the capture paints the frozen copy and the lens over it.
class CaptureWindow::Surface : public QWidget {
public:
    Surface(CaptureWindow* window, const char* name) : QWidget(window), m_window(window) {
        setObjectName(QLatin1String(name));
    }

    bool paintsCapture = false;

protected:
    void paintEvent(QPaintEvent* event) override {
        if (paintsCapture) {
            QPainter painter(this);
            m_window->paintCapture(painter, event->rect());
        }
    }
    void mousePressEvent(QMouseEvent* event) override { m_window->press(event->button()); }
    // A quick second click on the capture is a click like the first.
    void mouseDoubleClickEvent(QMouseEvent* event) override { m_window->press(event->button()); }
    // The window's own position of the event: the widget's position is
    // rounded to whole logical pixels, which misses device pixels at scale 2.
    void mouseReleaseEvent(QMouseEvent* event) override {
        m_window->release(event->button(), event->scenePosition());
    }

private:
    CaptureWindow* m_window;
};

CaptureWindow::CaptureWindow(const CaptureView& view, QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_view(view),
      m_screen(screen) {
    setObjectName(QStringLiteral("captureWindow"));
    setWindowTitle(QStringLiteral("captureme"));
    // The frozen copy covers everything; nothing underneath needs painting.
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

void CaptureWindow::prepare() {
    if (m_screen == nullptr || m_shown) {
        return;
    }
    showUnpainted();
    warmBackingStore();
}

void CaptureWindow::open(const QRect& part) {
    m_part = part;
    if (m_screen != nullptr) {
        if (!m_shown) {
            showUnpainted();
        }
        setUpdatesEnabled(true);
        return;
    }
    setUpSurfaces();
    coverDesktop();
    m_capture->setGeometry(rect());
    // A new window maps on top of the others; no raise needed.
    show();
}

void CaptureWindow::setUpSurfaces() {
    m_capture->setCursor(m_view.magnify ? magnifierCursor() : eyedropperCursor());
    m_lens->setCursor(eyedropperCursor());
    m_lens->setMask(built::shape("lens"));
}

void CaptureWindow::showUnpainted() {
    m_shown = true;
    setUpSurfaces();
    setScreen(m_screen);
    setGeometry(m_screen->geometry());
    m_capture->setGeometry(rect());
    // Without updates no frame is painted, and a Wayland compositor maps a
    // window only with its first frame: until open(), nothing shows, not
    // even in a screenshot.
    setUpdatesEnabled(false);
    showFullScreen();
}

// The first frame's buffer, a screen's worth of shared memory, takes some ms
// to make and to touch for the first time: done ahead, while nothing waits,
// by an empty paint that is never shown.
void CaptureWindow::warmBackingStore() {
    QBackingStore* store = backingStore();
    if (store == nullptr) {
        return;
    }
    store->resize(size());
    store->beginPaint(rect());
    store->endPaint();
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
    setGeometry(coveringWindowGeometry(screens, current, m_part));
}

double CaptureWindow::pixelsPerUnit() const {
    const auto& layout = m_view.grab.layout;
    return layout ? layout->scale : devicePixelRatioF();
}

// Asked afresh each time: a window manager may still move the window after it
// maps, by less than a logical pixel.
QPoint CaptureWindow::deviceOrigin() const {
    if (m_screen != nullptr) {
        return m_part.topLeft();
    }
    return m_view.pointer.deviceOrigin(*windowHandle()).value_or(m_part.topLeft());
}

// A window on a screen of its own maps the event's (fractional) position;
// elsewhere the pointer's device pixel comes from the windowing system, since
// whole logical positions miss device pixels at fractional scales.
QPoint CaptureWindow::devicePixel(QPointF local) const {
    if (m_screen != nullptr) {
        const QPointF at = local * pixelsPerUnit();
        return m_part.topLeft() + QPoint(qFloor(at.x()), qFloor(at.y()));
    }
    return m_view.pointer.devicePixel(*windowHandle(), local);
}

// ---------------------------------------------------------------- painting

void CaptureWindow::paintCapture(QPainter& painter, const QRect& logicalRect) {
    const double f = pixelsPerUnit();
    const QPoint origin = deviceOrigin();
    const QRect device = ScreenMapping{{0, 0}, f}.deviceCovering(logicalRect);
    // Work in device pixels so that every pixel of the copy lands on exactly
    // one screen pixel, whatever the scale.
    painter.setWorldTransform(QTransform::fromScale(1.0 / f, 1.0 / f));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const DesktopGrab& grab = m_view.grab;
    const QRect wanted = device.translated(origin);
    const QRect shown = wanted.intersected(grab.area);
    if (shown != wanted) {
        painter.fillRect(device, Qt::black);
    }
    if (!shown.isEmpty()) {
        painter.drawImage(shown.topLeft() - origin, grab.image,
                          shown.translated(-grab.area.topLeft()));
    }
    const QRect lens = m_view.lens.rect();
    if (!lens.isEmpty() && lens.intersects(wanted)) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(lens.topLeft() - origin, m_view.lens.image());
    }
}

void CaptureWindow::repaintDevice(const QRect& oldPlace, const QRect& newPlace) {
    placeLens();
    const QPoint origin = deviceOrigin();
    const ScreenMapping local{{0, 0}, pixelsPerUnit()};
    for (const QRect& place : {oldPlace, newPlace}) {
        if (!place.isEmpty()) {
            m_capture->update(local.logicalCovering(place.translated(-origin)));
        }
    }
}

// The lens control takes the lens's clicks and pointer where the lens lies
// on this window.
void CaptureWindow::placeLens() {
    const QRect lens = m_view.lens.rect();
    const QRect mine(deviceOrigin(), m_part.size());
    if (lens.isEmpty() || !lens.intersects(mine)) {
        m_lens->hide();
        return;
    }
    const ScreenMapping local{{0, 0}, pixelsPerUnit()};
    m_lens->move(local.toLogical(lens.topLeft() - deviceOrigin()));
    m_lens->show();
    m_lens->raise();
}

// ---------------------------------------------------------------- input

void CaptureWindow::press(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        m_leftPressed = true;
    } else if (button == Qt::RightButton) {
        emit cancelled(button);
    }
}

// Where the release happens does not matter: the device pixel under the
// pointer decides what a click means.
void CaptureWindow::release(Qt::MouseButton button, QPointF local) {
    const bool wasPressed = m_leftPressed;
    m_leftPressed = false;
    if (button == Qt::LeftButton && wasPressed) {
        emit clicked(devicePixel(local));
    }
}

void CaptureWindow::mousePressEvent(QMouseEvent* event) {
    press(event->button());
}

void CaptureWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    press(event->button());
}

void CaptureWindow::mouseReleaseEvent(QMouseEvent* event) {
    release(event->button(), event->scenePosition());
}

// No key picks or cancels.
void CaptureWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void CaptureWindow::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

}  // namespace huepick
