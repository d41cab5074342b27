#include "platform/tray_icon.h"

#include <QSystemTrayIcon>

namespace huepick {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent) {}

SystemTrayIcon::~SystemTrayIcon() = default;

void SystemTrayIcon::show(const QIcon& icon, const QString& toolTip) {
    if (m_icon == nullptr) {
        m_icon = new QSystemTrayIcon(icon, this);
        // A double click arrives as a click and then a double click, whichever
        // kind of host runs; each brings the window back.
        connect(m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick) {
                        emit activated();
                    }
                });
    }
    m_icon->setToolTip(toolTip);
    m_icon->show();
}

bool SystemTrayIcon::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace huepick
