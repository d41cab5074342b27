// SPDX-License-Identifier: MIT
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

    XSession& session() { return m_session; }

    // Starts the program and waits until its main window is shown and
    // painted; false with error() set.
    bool launch();
    // Polls for a viewable top-level window with the main window's title
    // that belongs to this process.
    bool waitForWindow(int timeoutMs = 10000, double intervalMs = 10);
    XWindow window() const { return m_window; }
    // Position on the screen and size of the program's own window.
    std::optional<QRect> geometry();
    bool viewable();
    bool waitViewable(bool wanted, int timeoutMs = 3000);

    double scale() const { return m_scale; }
    // The screen position of a window point.
    std::optional<QPoint> toScreen(QPoint local);
    // A point of the window's background, clear of every control.
    std::optional<QPoint> background();

    // Gives the window the keyboard through the window manager.
    bool focus();
    // Moves the pointer onto a window point so that the program sees a
    // movement there, even when the pointer already rests on it.
    bool pointAt(QPoint local);
    bool pointAt(Role control) { return pointAt(centre(control)); }
    // Press and release on a window point.
    bool click(QPoint local, int button = 1);
    bool click(Role control, int button = 1) { return click(centre(control), button); }
    // Crosses the window background, which enables all four text fields.
    bool crossBackground();
    // Waits until the program has read all input sent so far.
    bool sync();

    // Presses keys (xdotool names) over the hexadecimal field and waits for
    // `expected` on the clipboard; returns the last text seen.
    std::optional<QString> copyWithKey(const QString& keys, const QString& expected);
    // Crosses the background, presses the right button on a text field and
    // waits for `expected`; returns the last text seen.
    std::optional<QString> copyField(Role field, const QString& expected);
    // The same for a text not known beforehand: waits for anything new.
    std::optional<QString> copyField(Role field);
    // Points at a field, selects all of its text and types over it.
    bool typeInto(Role field, const QString& text);
    // Types a colour (e.g. "#12AB34") into the hexadecimal field and confirms
    // it with Enter, the window having the keyboard.
    bool enterHex(const QString& hex);

    // Closes through the window manager: focus, then its alt+F4 binding.
    bool closeWithKeyboard();
    // Closes through the window manager's _NET_CLOSE_WINDOW request.
    bool closeWithRequest();

private:
    XWindow findWindow();
    bool waitPainted(const QImage& before);

    XSession& m_session;
    double m_scale = 1.0;
    XWindow m_window = 0;
    std::optional<QPoint> m_background;
};

}  // namespace e2e
