// SPDX-License-Identifier: MIT
#include "ui/skin.h"

#include <QImageReader>
#include <QResource>
#include <QtEndian>
#include <cstring>

namespace huepick {

namespace {

// The skin's plain pixels (see tools/skin_pixels); null when they are not the
// window's size at `scale`.
QImage loadSkinPixels(const QString& path, qreal scale) {
    const QResource resource(path);
    const QByteArray bytes = resource.uncompressedData();
    const QSize size = layout::kWindowSize * scale;
    const qsizetype rows = qsizetype(size.width()) * size.height() * 4;
    quint32 stored[2] = {};
    if (bytes.size() != qsizetype(sizeof stored) + rows) {
        return {};
    }
    std::memcpy(stored, bytes.constData(), sizeof stored);
    if (qFromLittleEndian(stored[0]) != quint32(size.width()) ||
        qFromLittleEndian(stored[1]) != quint32(size.height())) {
        return {};
    }
    QImage image(size, QImage::Format_RGB32);
    std::memcpy(image.bits(), bytes.constData() + sizeof stored, std::size_t(rows));
    return image;
}

}  // namespace

QImage loadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

Skin::Skin(qreal devicePixelRatio) : m_scale(devicePixelRatio > 1.0 ? 2.0 : 1.0) {
    m_window = QPixmap::fromImage(loadSkinPixels(
        QStringLiteral(":/skin/skin%1.pixels").arg(m_scale > 1.0 ? "@2x" : ""), m_scale));
    m_window.setDevicePixelRatio(m_scale);
}

QString Skin::path(std::string_view name) const {
    return QStringLiteral(":/skin/%1%2.png")
        .arg(QLatin1String(name.data(), static_cast<qsizetype>(name.size())),
             m_scale > 1.0 ? QStringLiteral("@2x") : QString());
}

QPixmap Skin::windowCutOut(QRgb key) const {
    QImage image = m_window.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) {
                line[x] = 0;
            }
        }
    }
    QPixmap cut = QPixmap::fromImage(image);
    cut.setDevicePixelRatio(m_scale);
    return cut;
}

QPixmap Skin::at(layout::Role role) const {
    const QRect place = layout::windowRect(role);
    QPixmap crop = m_window.copy(QRect(place.topLeft() * m_scale, place.size() * m_scale));
    crop.setDevicePixelRatio(m_scale);
    return crop;
}

QPixmap Skin::pressed(layout::Role role) const {
    QPixmap picture = QPixmap::fromImage(loadPng(path(layout::control(role).pressedArt)));
    picture.setDevicePixelRatio(m_scale);
    return picture;
}

const QIcon& Skin::programIcon() {
    static const QIcon kIcon = [] {
        QIcon icon;
        for (int size : {16, 22, 32, 48}) {
            icon.addPixmap(
                QPixmap::fromImage(loadPng(QStringLiteral(":/icons/huepick_%1.png").arg(size))));
        }
        return icon;
    }();
    return kIcon;
}

}  // namespace huepick
