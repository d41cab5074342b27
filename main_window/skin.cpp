#include "main_window/skin.h"

#include <QFile>

namespace huepick {

Skin::Skin(qreal device_pixel_ratio) : ratio_(device_pixel_ratio) {}

QPixmap Skin::picture(const QString& name) const {
    if (auto it = cache_.constFind(name); it != cache_.constEnd()) {
        return *it;
    }
    QPixmap pm;
    const QString hi = QStringLiteral(":/skin/%1@2x.png").arg(name);
    if (ratio_ > 1.0 && QFile::exists(hi) && pm.load(hi)) {
        pm.setDevicePixelRatio(2.0);
    } else {
        pm.load(QStringLiteral(":/skin/%1.png").arg(name));
    }
    cache_.insert(name, pm);
    return pm;
}

QImage Skin::shape(const QString& name) { return QImage(QStringLiteral(":/skin/%1.png").arg(name)); }

QIcon Skin::program_icon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/huepick_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace huepick
