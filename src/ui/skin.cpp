#include "ui/skin.h"

#include <QFile>
#include <QImageReader>

namespace huepick {

QImage load_png(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

Skin::Skin(qreal device_pixel_ratio) : ratio_(device_pixel_ratio) {}

QPixmap Skin::picture(const QString& name) const {
    if (auto it = pictures_.constFind(name); it != pictures_.constEnd()) {
        return *it;
    }
    QPixmap pm;
    const QString hi = QStringLiteral(":/skin/%1@2x.png").arg(name);
    if (ratio_ > 1.0 && QFile::exists(hi)) {
        pm = QPixmap::fromImage(load_png(hi));
        pm.setDevicePixelRatio(2.0);
    } else {
        pm = QPixmap::fromImage(shape(name));
    }
    pictures_.insert(name, pm);
    return pm;
}

QImage Skin::shape(const QString& name) const {
    if (auto it = shapes_.constFind(name); it != shapes_.constEnd()) {
        return *it;
    }
    const QImage image = load_png(QStringLiteral(":/skin/%1.png").arg(name));
    shapes_.insert(name, image);
    return image;
}

const QIcon& Skin::program_icon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 22, 32, 48}) {
            i.addPixmap(QPixmap::fromImage(load_png(QStringLiteral(":/icons/huepick_%1.png").arg(size))));
        }
        return i;
    }();
    return icon;
}

}  // namespace huepick
