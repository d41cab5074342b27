// SPDX-License-Identifier: MIT
// The commands of the main window that are not on its skin: the tray icon's
// menu, and the keys that start a pick or quit while the window is active.
#pragma once

#include <QMenu>
#include <QObject>

namespace huepick {

class WindowMenu : public QObject {
    Q_OBJECT
public:
    // Adds the keys to `window` and builds the menu.
    explicit WindowMenu(QWidget& window);

    QMenu* menu() { return &m_menu; }

signals:
    void showOrHide();
    void sample();
    void magnify();
    void openLog();
    void openHelp();
    void quit();

private:
    QMenu m_menu;
};

}  // namespace huepick
