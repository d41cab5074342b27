// SPDX-License-Identifier: MIT
#include "ui/pick_session.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <utility>

#include "core/colour_model.h"
#include "platform/pointer_locator.h"
#include "ui/capture_window.h"

namespace huepick {

namespace {

// The release of the button whose press cancelled the pick would otherwise
// land on whatever lies under the pointer once the windows are gone, and the
// main window's buttons act on release. This eats it; a new press means it
// went elsewhere.
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

// The screen's part of the copy, for a copy laid out by screens.
QRect partOf(const QScreen& screen, const ScreenLayout& layout) {
    const QRect g = screen.geometry();
    const QPoint topLeft = (g.topLeft() - layout.logicalOrigin) * layout.scale;
    const QPoint end =
        (g.topLeft() + QPoint(g.width(), g.height()) - layout.logicalOrigin) * layout.scale;
    return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

}  // namespace

PickSession::PickSession(ColourModel& model, PointerLocator& pointer, QWidget* anchor)
    : m_model(model), m_pointer(pointer), m_anchor(anchor) {}

PickSession::~PickSession() {
    for (const QPointer<CaptureWindow>& window : m_windows) {
        delete window.data();
    }
}

CaptureView PickSession::view() {
    return CaptureView{m_grab, m_lens, m_pointer, m_model.captureMode() == CaptureMode::Magnify};
}

void PickSession::prepare() {
    if (!m_windows.empty()) {
        return;
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        auto* window = new CaptureWindow(view(), screen);
        m_windows.emplace_back(window);
        window->prepare();
    }
}

void PickSession::open(DesktopGrab grab) {
    m_grab = std::move(grab);
    // Windows readied for screens that have gone meanwhile, or that the copy
    // does not reach, are dropped unseen.
    std::vector<QPointer<CaptureWindow>> ready;
    ready.swap(m_windows);
    const auto readyFor = [&ready](const QScreen* screen) -> CaptureWindow* {
        for (QPointer<CaptureWindow>& window : ready) {
            if (window && window->screenShown() == screen) {
                return std::exchange(window, nullptr).data();
            }
        }
        return nullptr;
    };
    if (m_grab.layout) {
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect part = partOf(*screen, *m_grab.layout).intersected(m_grab.area);
            if (part.isEmpty()) {
                continue;
            }
            CaptureWindow* window = readyFor(screen);
            adopt(window != nullptr ? window : new CaptureWindow(view(), screen));
            m_windows.back()->open(part);
        }
    } else {
        adopt(new CaptureWindow(view(), nullptr));
        m_windows.back()->open(m_grab.area);
    }
    for (const QPointer<CaptureWindow>& unused : ready) {
        delete unused.data();
    }
    activate();
}

void PickSession::adopt(CaptureWindow* w) {
    m_windows.emplace_back(w);
    connect(this, &PickSession::lensMoved, w, &CaptureWindow::repaintDevice);
    connect(w, &CaptureWindow::clicked, this, [this, w](QPoint device) { takeClick(device, *w); });
    connect(w, &CaptureWindow::cancelled, this, &PickSession::cancel);
}

void PickSession::activate() {
    if (!m_windows.empty() && m_windows.front()) {
        m_windows.front()->activateWindow();
    }
}

// A click goes by the device pixel under the pointer: on the lens's disc it
// picks through the lens, elsewhere (the corners of the lens's square
// included) it is a click on the copy.
void PickSession::takeClick(QPoint device, const CaptureWindow& from) {
    if (const std::optional<QPoint> source = m_lens.sourceOf(device)) {
        pick(pixelAt(m_grab, *source));
        return;
    }
    switch (m_model.captureMode()) {
        case CaptureMode::Sample:
            pick(pixelAt(m_grab, device));
            break;
        case CaptureMode::Magnify:
            drawLens(device, from);
            break;
        case CaptureMode::None:
            break;
    }
}

void PickSession::drawLens(QPoint click, const CaptureWindow& from) {
    const double f = from.pixelsPerUnit();
    const int size = lens::deviceSize(f);
    const std::optional<QPoint> anchorOrigin =
        m_anchor && m_anchor->windowHandle() ? m_pointer.deviceOrigin(*m_anchor->windowHandle())
                                             : std::nullopt;
    const QRect oldPlace = lensRect();

    const QPoint origin = anchorOrigin
                              ? lens::deviceOrigin(*anchorOrigin, f)
                              : lens::originNear(click, size, qRound(lens::kGap * f), from.part());
    m_lens.show(m_grab, click, origin, size);
    emit lensMoved(oldPlace, lensRect());
}

void PickSession::pick(QRgb pixel) {
    if (m_closing) {
        return;
    }
    m_model.pick(pixel);
    close(true);
    // Show the picked colour at once, ahead of freeing the screen-sized
    // buffers, which takes longer on large screens.
    if (m_anchor && m_anchor->isVisible()) {
        m_anchor->repaint();
    }
}

void PickSession::cancel(Qt::MouseButton button) {
    if (m_closing) {
        return;
    }
    new StrayReleaseFilter(button);
    close(false);
}

void PickSession::close(bool picked) {
    m_closing = true;
    for (const QPointer<CaptureWindow>& window : m_windows) {
        if (window) {
            window->hide();
        }
    }
    // Called from inside a window's own mouse handling: delete once that has
    // returned.
    emit finished(picked);
    deleteLater();
}

}  // namespace huepick
