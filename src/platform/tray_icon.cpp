// SPDX-License-Identifier: MIT
#include "platform/tray_icon.h"

#include <QSystemTrayIcon>

namespace huepick {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent) {
    // A notification area that shows up later gets the icon then.
    connect(this, &TrayIcon::availabilityChanged, this, [this](bool available) {
        if (available && m_wanted) {
            create();
        }
    });
}

SystemTrayIcon::~SystemTrayIcon() = default;

void SystemTrayIcon::show(const QIcon& icon, const QString& toolTip) {
    m_wanted = true;
    m_iconImage = icon;
    m_toolTip = toolTip;
    // Without a notification area Qt would fall back to a kind of tray that
    // the windowing system may not have at all.
    if (available()) {
        create();
    }
}

void SystemTrayIcon::create() {
    if (m_icon == nullptr) {
        m_icon = new QSystemTrayIcon(m_iconImage, this);
        // A double click arrives as a click and then a double click, whichever
        // kind of host runs; each brings the window back.
        connect(
            m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    emit activated();
                }
            });
    }
    m_icon->setToolTip(m_toolTip);
    m_icon->setContextMenu(m_menu);
    m_icon->show();
}

void SystemTrayIcon::setMenu(QMenu* menu) {
    m_menu = menu;
    if (m_icon != nullptr) {
        m_icon->setContextMenu(menu);
    }
}

bool SystemTrayIcon::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace huepick
