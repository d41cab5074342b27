// SPDX-License-Identifier: MIT
// The icon in the desktop's notification area.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace huepick {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void show(const QIcon& icon, const QString& toolTip) = 0;
    // The menu a right click on the icon opens.
    virtual void setMenu(QMenu* menu) = 0;
    // Whether a notification area is there to show the icon in.
    virtual bool available() const = 0;

    // Called by whoever watches the notification area.
    void setHostPresent(bool present) { emit availabilityChanged(present); }

signals:
    // A click or a double click on the icon.
    void activated();
    // The notification area went away or came back.
    void availabilityChanged(bool available);
};

// Qt's tray icon: XEmbed or a StatusNotifierItem, whichever host runs.
class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;
    void show(const QIcon& icon, const QString& toolTip) override;
    void setMenu(QMenu* menu) override;
    bool available() const override;

private:
    void create();

    QSystemTrayIcon* m_icon = nullptr;
    bool m_wanted = false;
    QIcon m_iconImage;
    QMenu* m_menu = nullptr;
    QString m_toolTip;
};

}  // namespace huepick
