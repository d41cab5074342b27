#include "ui/skin.h"

#include <QFile>
#include <QImageReader>

namespace huepick {

QImage loadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

Skin::Skin(qreal devicePixelRatio) : m_ratio(devicePixelRatio) {}

QPixmap Skin::picture(const QString& name) const {
    if (auto it = m_pictures.constFind(name); it != m_pictures.constEnd()) {
        return *it;
    }
    QPixmap pm;
    const QString hi = QStringLiteral(":/skin/%1@2x.png").arg(name);
    if (m_ratio > 1.0 && QFile::exists(hi)) {
        pm = QPixmap::fromImage(loadPng(hi));
        pm.setDevicePixelRatio(2.0);
    } else {
        pm = QPixmap::fromImage(shape(name));
    }
    m_pictures.insert(name, pm);
    return pm;
}

QPixmap Skin::cutOut(const QString& name, QRgb key) const {
    const QString cutName = name + QStringLiteral("#cut");
    if (auto it = m_pictures.constFind(cutName); it != m_pictures.constEnd()) {
        return *it;
    }
    const QPixmap keyed = picture(name);
    QImage image = keyed.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) {
                line[x] = 0;
            }
        }
    }
    QPixmap cut = QPixmap::fromImage(image);
    cut.setDevicePixelRatio(keyed.devicePixelRatio());
    m_pictures.insert(cutName, cut);
    return cut;
}

QImage Skin::shape(const QString& name) const {
    if (auto it = m_shapes.constFind(name); it != m_shapes.constEnd()) {
        return *it;
    }
    const QImage image = loadPng(QStringLiteral(":/skin/%1.png").arg(name));
    m_shapes.insert(name, image);
    return image;
}

const QIcon& Skin::programIcon() {
    static const QIcon kIcon = [] {
        QIcon i;
        for (int size : {16, 22, 32, 48}) {
            i.addPixmap(QPixmap::fromImage(loadPng(QStringLiteral(":/icons/huepick_%1.png").arg(size))));
        }
        return i;
    }();
    return kIcon;
}

}  // namespace huepick
