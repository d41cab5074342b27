#include "ui/captureme.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "ui/pick_art.h"
#include "core/colour.h"

namespace huepick {

namespace {

// The release of the button whose press cancelled the window would otherwise
// land on whatever lies under the pointer once the window is gone, and the main
// window's buttons act on release. This eats it; a new press means it went
// elsewhere.
class StrayReleaseFilter : public QObject {
public:
    explicit StrayReleaseFilter(Qt::MouseButton button) : QObject(qApp), button_(button) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (done_) {
            return false;
        }
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == button_) {
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
        done_ = true;
        deleteLater();
    }

    Qt::MouseButton button_;
    bool done_ = false;
};

}  // namespace

// The capture and the lens: each reports presses and clicks (a left press and
// release on the same control), and the capture paints the frozen screen.
class captureme::Surface : public QWidget {
public:
    Surface(captureme* form, const char* name) : QWidget(form), form_(form) {
        setObjectName(QLatin1String(name));
    }

    std::function<void(Qt::MouseButton)> mouse_down;
    std::function<void()> click;
    bool paints_capture = false;

    void press(Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            left_pressed_ = true;
        }
        if (mouse_down) {
            mouse_down(button);
        }
    }
    // Where the release happens does not matter: the capture covers the
    // whole screen, and the pointer's device position decides what a click
    // means.
    void release(Qt::MouseButton button) {
        const bool was_pressed = left_pressed_;
        left_pressed_ = false;
        if (button == Qt::LeftButton && was_pressed && click) {
            click();
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (paints_capture) {
            QPainter painter(this);
            form_->paint_capture(painter, event->rect());
        }
    }
    void mousePressEvent(QMouseEvent* event) override { press(event->button()); }
    // A quick second click on the capture is a click like the first.
    void mouseDoubleClickEvent(QMouseEvent* event) override { press(event->button()); }
    void mouseReleaseEvent(QMouseEvent* event) override { release(event->button()); }

private:
    captureme* form_;
    bool left_pressed_ = false;
};

captureme::captureme(AppState& state, PickTarget& target, QWidget* main_window,
                     std::unique_ptr<ScreenSource> source)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      state_(state),
      target_(target),
      main_window_(main_window),
      source_(source ? std::move(source) : make_x11_screen_source()),
      Kontura1(qRgb(0, 0, 0)),
      lens_mask_(lens_mask()),
      disc_(disc_of_mask(lens_mask_)) {
    setObjectName(QStringLiteral("captureme"));
    setWindowTitle(QStringLiteral("captureme"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The frozen screen covers everything; nothing underneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);

    auto* capture = new Surface(this, "Picture1");
    capture->paints_capture = true;
    capture->setAttribute(Qt::WA_OpaquePaintEvent);
    capture->mouse_down = [this](Qt::MouseButton b) { Picture1_MouseDown(b); };
    capture->click = [this] { Picture1_Click(); };
    Picture1 = capture;

    // The lens is drawn by the capture, on whole device pixels; this control
    // above it only takes the lens's clicks and pointer.
    auto* lens = new Surface(this, "Picture2");
    lens->setAttribute(Qt::WA_NoSystemBackground);
    lens->setGeometry(0, 0, lens::kSize, lens::kSize);
    lens->mouse_down = [this](Qt::MouseButton b) { Picture2_MouseDown(b); };
    lens->click = [this] { Picture2_Click(); };
    lens->hide();
    Picture2 = lens;
}

captureme::~captureme() = default;

// ---------------------------------------------------------------- start-up

void captureme::Form_Load() {
    if (loaded_) {
        activateWindow();
        return;
    }
    loaded_ = true;
    Picture1->setCursor(state_.capture_mode == CaptureMode::Magnify ? magnifier_cursor()
                                                                    : eyedropper_cursor());
    Picture2->setCursor(eyedropper_cursor());

    grab_screen();
    cover_desktop();
    Picture1->setGeometry(rect());
    // A new window maps on top of the others; no raise needed.
    show();
    activateWindow();

    Kontura1.shape_window(Picture2);
    Kontura1.shape_picture(lens_mask_);
}

void captureme::grab_screen() {
    // The button that opened this window has just been released; show it so in
    // the copy rather than pressed.
    if (main_window_ && main_window_->isVisible()) {
        main_window_->repaint();
    }
    grab_ = source_->grab_desktop();
}

void captureme::cover_desktop() {
    std::vector<ScreenInfo> screens;
    int current = -1;
    create();
    const QScreen* now = windowHandle() != nullptr ? windowHandle()->screen() : nullptr;
    const QList<QScreen*> all = QGuiApplication::screens();
    for (int i = 0; i < all.size(); ++i) {
        screens.push_back({all[i]->geometry(), all[i]->devicePixelRatio()});
        current = all[i] == now ? i : current;
    }
    setGeometry(covering_window_geometry(screens, current, grab_.area));
}

double captureme::ratio() const {
    return devicePixelRatioF();
}

// Asked afresh each time: a window manager may still move the window after it
// maps, by less than a logical pixel.
QPoint captureme::window_device_origin() const {
    return source_->device_position(*this);
}

// ---------------------------------------------------------------- painting

void captureme::paint_capture(QPainter& painter, const QRect& logical_rect) {
    const double f = ratio();
    const QPoint origin = window_device_origin();
    const QRect device = ScreenMapping{{0, 0}, f}.device_covering(logical_rect);
    // Work in device pixels so that every capture pixel lands on exactly one
    // screen pixel, whatever the scale.
    painter.setWorldTransform(QTransform::fromScale(1.0 / f, 1.0 / f));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect wanted = device.translated(origin);
    const QRect shown = wanted.intersected(grab_.area);
    if (shown != wanted) {
        painter.fillRect(device, Qt::black);
    }
    if (!shown.isEmpty()) {
        painter.drawImage(shown.topLeft() - origin, grab_.image,
                          shown.translated(-grab_.area.topLeft()));
    }
    if (Picture2->isVisible() && !lens_view_.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(lens_origin_ - origin, lens_view_);
    }
}

// ---------------------------------------------------------------- mouse

void captureme::Picture1_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        cancel(button);
    }
}

void captureme::Picture2_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        cancel(button);
    }
}

// Qt routes a click to the capture or the lens by its logical position, which
// at fractional scales on a desktop of several monitors can stray from the
// device pixel under the pointer. So both controls' clicks go by that device
// pixel: on the lens's disc they pick through the lens, elsewhere (the
// corners of the lens's square included) they are clicks on the capture.
void captureme::Picture1_Click() {
    clicked(source_->pointer_position());
}

void captureme::Picture2_Click() {
    clicked(source_->pointer_position());
}

void captureme::clicked(QPoint at) {
    const QRect lens = lens_device_rect();
    if (!lens.isEmpty() && disc_.contains_device(at - lens.topLeft(), lens.width())) {
        pick(colour_at(lens::source_pixel(lens_click_, at - lens.topLeft(), lens.width())));
        return;
    }
    switch (state_.capture_mode) {
        case CaptureMode::Sample:
            pick(colour_at(at));
            break;
        case CaptureMode::Magnify:
            draw_lens(at);
            break;
        case CaptureMode::None:
            break;
    }
}

// ---------------------------------------------------------------- the lens

void captureme::draw_lens(QPoint click) {
    const double f = ratio();
    const int size = lens::device_size(f);
    const QPoint main_origin =
        main_window_ ? source_->device_position(*main_window_) : QPoint(0, 0);
    const QRect old_place = lens_device_rect();

    lens_click_ = click;
    lens_origin_ = lens::device_origin(main_origin, f);
    // Pixels of the block outside the capture (a click within two pixels of
    // the screen's left or top edge, or near its right or bottom edge) show
    // black: there is nothing there to enlarge, and black reads as "nothing".
    lens_view_ = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
    const QPoint block = lens::block_origin(click);
    for (int dy = 0; dy < size; ++dy) {
        auto* line = reinterpret_cast<QRgb*>(lens_view_.scanLine(dy));
        const int sy = block.y() + lens::source_index(dy, size);
        for (int dx = 0; dx < size; ++dx) {
            if (!disc_.contains_device({dx, dy}, size)) {
                line[dx] = 0;
                continue;
            }
            const std::int32_t v = colour_at({block.x() + lens::source_index(dx, size), sy});
            line[dx] = qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
        }
    }
    const QImage ring = lens_ring(size);
    if (!ring.isNull()) {
        QPainter painter(&lens_view_);
        // Only over the disc: the corners stay the capture's.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.drawImage(0, 0, ring);
    }

    const QPoint window_origin = window_device_origin();
    const ScreenMapping local{{0, 0}, f};
    Picture2->move(local.to_logical(lens_origin_ - window_origin));
    Picture2->show();
    Picture2->raise();
    for (const QRect& place : {old_place, lens_device_rect()}) {
        if (!place.isEmpty()) {
            Picture1->update(local.logical_covering(place.translated(-window_origin)));
        }
    }
}

QRect captureme::lens_device_rect() const {
    if (!Picture2->isVisible() || lens_view_.isNull()) {
        return {};
    }
    return QRect(lens_origin_, lens_view_.size());
}

// ---------------------------------------------------------------- pick, cancel

std::int32_t captureme::colour_at(QPoint device) const {
    const std::optional<QPoint> pixel = image_pixel(device, grab_.area);
    if (!pixel || !grab_.image.rect().contains(*pixel)) {
        return 0;
    }
    const QRgb c = grab_.image.pixel(*pixel);
    return color_value(qRed(c), qGreen(c), qBlue(c));
}

void captureme::pick(std::int32_t colour_value) {
    if (unloading_) {
        return;
    }
    hand_over(target_, colour_value);
    unload();
    // Show the picked colour at once, ahead of freeing this window's
    // screen-sized buffers, which takes longer on large screens.
    if (main_window_ && main_window_->isVisible()) {
        main_window_->repaint();
    }
}

void captureme::cancel(Qt::MouseButton button) {
    if (unloading_) {
        return;
    }
    new StrayReleaseFilter(button);
    unload();
}

void captureme::unload() {
    unloading_ = true;
    hide();
    // Called from inside this window's own mouse handling: delete once that
    // has returned.
    deleteLater();
}

// ---------------------------------------------------------------- the window's own events

void captureme::mousePressEvent(QMouseEvent* event) {
    static_cast<Surface*>(Picture1)->press(event->button());
}

void captureme::mouseDoubleClickEvent(QMouseEvent* event) {
    static_cast<Surface*>(Picture1)->press(event->button());
}

void captureme::mouseReleaseEvent(QMouseEvent* event) {
    static_cast<Surface*>(Picture1)->release(event->button());
}

// No key picks or cancels.
void captureme::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void captureme::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

}  // namespace huepick
