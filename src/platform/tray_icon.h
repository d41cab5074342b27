// The tray icon: shows the program's icon and tip text in the desktop's
// notification area and reports the user's actions on it as numbered
// notifications.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

class QSystemTrayIcon;

namespace huepick {

class STI : public QObject {
    Q_OBJECT
public:
    // Notification numbers of the two ordinary actions on the icon.
    static constexpr int kClick = 9;
    static constexpr int kDoubleClick = 10;

    STI(const QIcon& icon, const QString& tip, QObject* parent = nullptr);
    ~STI() override;

    void tray_start();
    bool started() const;
    QSystemTrayIcon* icon() const { return tray_.get(); }

signals:
    void notification(int number);

private:
    std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace huepick
