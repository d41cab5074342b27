// The picking window: a frozen copy of the whole screen to pick a pixel from,
// directly or through a magnifying lens. Created for each opening and destroyed
// after each pick or cancel.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/hand_over.h"
#include "core/pick_geometry.h"
#include "ui/window_shape.h"
#include "core/app_state.h"
#include "platform/screen_source.h"

namespace huepick {

class captureme : public QWidget {
    Q_OBJECT
public:
    // The lens is placed relative to `main_window`. Without a `source` the
    // real screen and pointer are used.
    captureme(AppState& state, PickTarget& target, QWidget* main_window,
              std::unique_ptr<ScreenSource> source = nullptr);
    ~captureme() override;

    // Grabs the screen, then covers it.
    void Form_Load();

    // Controls, by their designer names: the capture and the lens.
    QWidget* Picture1;
    QWidget* Picture2;

    const DesktopGrab& capture() const { return grab_; }
    // Where the lens shows on the virtual desktop, in device pixels; empty
    // while it is hidden.
    QRect lens_device_rect() const;
    // What the lens shows, in device pixels; transparent outside its disc.
    const QImage& lens_view() const { return lens_view_; }

protected:
    // Qt rounds event positions to whole logical pixels, so at some scales a
    // click on the screen's last device row or column lands just outside the
    // window's children, on the window itself; it belongs to the capture.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    class Surface;

    void grab_screen();
    void cover_desktop();
    void Picture1_MouseDown(Qt::MouseButton button);
    void Picture2_MouseDown(Qt::MouseButton button);
    void Picture1_Click();
    void Picture2_Click();
    void clicked(QPoint device);
    void draw_lens(QPoint click);
    void pick(std::int32_t colour_value);
    void cancel(Qt::MouseButton button);
    void unload();
    void paint_capture(QPainter& painter, const QRect& logical_rect);
    std::int32_t colour_at(QPoint device) const;
    QPoint window_device_origin() const;
    double ratio() const;

    AppState& state_;
    PickTarget& target_;
    QPointer<QWidget> main_window_;
    std::unique_ptr<ScreenSource> source_;
    Kontura Kontura1;
    QImage lens_mask_;
    LensDisc disc_;
    DesktopGrab grab_;
    QImage lens_view_;
    QPoint lens_origin_;
    QPoint lens_click_;
    bool loaded_ = false;
    bool unloading_ = false;
};

}  // namespace huepick
