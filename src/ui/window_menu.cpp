// SPDX-License-Identifier: MIT
#include "ui/window_menu.h"

#include <QAction>
#include <QWidget>

namespace huepick {

WindowMenu::WindowMenu(QWidget& window) : QObject(&window) {
    m_menu.setObjectName(QStringLiteral("trayMenu"));
    const auto add = [this, &window](const QString& text, void (WindowMenu::*signal)(),
                                     const QKeySequence& keys = {}) {
        QAction* action = m_menu.addAction(text);
        connect(action, &QAction::triggered, this, signal);
        if (!keys.isEmpty()) {
            // Keys that type no character, so the text fields keep every
            // character the user types.
            auto* shortcut = new QAction(text, &window);
            shortcut->setShortcut(keys);
            shortcut->setShortcutContext(Qt::WindowShortcut);
            connect(shortcut, &QAction::triggered, this, signal);
            window.addAction(shortcut);
            action->setShortcut(keys);
        }
        return action;
    };
    add(tr("Show/Hide"), &WindowMenu::showOrHide);
    m_menu.addSeparator();
    add(tr("Sample"), &WindowMenu::sample, QKeySequence(Qt::CTRL | Qt::Key_S));
    add(tr("Magnify"), &WindowMenu::magnify, QKeySequence(Qt::CTRL | Qt::Key_M));
    m_menu.addSeparator();
    add(tr("Open Colour Log"), &WindowMenu::openLog);
    add(tr("Help"), &WindowMenu::openHelp);
    m_menu.addSeparator();
    add(tr("Quit"), &WindowMenu::quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
}

}  // namespace huepick
