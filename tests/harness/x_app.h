// One run of the real program on an X desktop: its main window, and the moves
// the tests repeat on it (pointing, clicking, typing into a field, copying
// with the right button or a function key). Window points are logical pixels
// of the 400 x 300 window; the program's QT_SCALE_FACTOR maps them to the
// screen.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

#include "harness/app_run.h"
#include "harness/window_points.h"
#include "harness/x_connection.h"

namespace e2e {

class XSession;

class XAppRun : public AppRun {
public:
    XAppRun(XSession& session, AppOptions options = {});

    XSession& session() { return session_; }

    // Starts the program and waits until its main window is shown and
    // painted; false with error() set.
    bool launch();
    // Polls for a viewable top-level window with the main window's title
    // that belongs to this process.
    bool wait_for_window(int timeout_ms = 10000, double interval_ms = 10);
    XWindow window() const { return window_; }
    // Position on the screen and size of the program's own window.
    std::optional<QRect> geometry();
    bool viewable();
    bool wait_viewable(bool wanted, int timeout_ms = 3000);

    double scale() const { return scale_; }
    // The screen position of a window point.
    std::optional<QPoint> to_screen(QPoint local);
    // A point of the window's background, clear of every control.
    std::optional<QPoint> background();

    // Gives the window the keyboard through the window manager.
    bool focus();
    // Moves the pointer onto a window point so that the program sees a
    // movement there, even when the pointer already rests on it.
    bool point_at(QPoint local);
    bool point_at(Role control) { return point_at(centre(control)); }
    // Press and release on a window point.
    bool click(QPoint local, int button = 1);
    bool click(Role control, int button = 1) { return click(centre(control), button); }
    // Crosses the window background, which enables all four text fields.
    bool cross_background();
    // Waits until the program has read all input sent so far.
    bool sync();

    // Presses keys (xdotool names) over the hexadecimal field and waits for
    // `expected` on the clipboard; returns the last text seen.
    std::optional<QString> copy_with_key(const QString& keys, const QString& expected);
    // Crosses the background, presses the right button on a text field and
    // waits for `expected`; returns the last text seen.
    std::optional<QString> copy_field(Role field, const QString& expected);
    // The same for a text not known beforehand: waits for anything new.
    std::optional<QString> copy_field(Role field);
    // Points at a field, selects all of its text and types over it.
    bool type_into(Role field, const QString& text);
    // Types a colour (e.g. "#12AB34") into the hexadecimal field and confirms
    // it with Enter, the window having the keyboard.
    bool enter_hex(const QString& hex);

    // Closes through the window manager: focus, then its alt+F4 binding.
    bool close_with_keyboard();
    // Closes through the window manager's _NET_CLOSE_WINDOW request.
    bool close_with_request();

private:
    XWindow find_window();
    bool wait_painted(const QImage& before);

    XSession& session_;
    double scale_ = 1.0;
    XWindow window_ = 0;
    std::optional<QPoint> background_;
};

}  // namespace e2e
