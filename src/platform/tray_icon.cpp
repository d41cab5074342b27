#include "platform/tray_icon.h"

#include <QSystemTrayIcon>

namespace huepick {

STI::STI(const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent), tray_(std::make_unique<QSystemTrayIcon>(icon)) {
    tray_->setToolTip(tip);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A double click arrives as a click and then a double click,
                // whichever kind of tray host runs.
                if (reason == QSystemTrayIcon::Trigger) {
                    emit notification(kClick);
                } else if (reason == QSystemTrayIcon::DoubleClick) {
                    emit notification(kDoubleClick);
                }
            });
}

STI::~STI() = default;

void STI::tray_start() { tray_->show(); }

bool STI::started() const { return tray_->isVisible(); }

}  // namespace huepick
