#include "ui/window_shape.h"

#include <QBitmap>
#include <QWidget>

namespace huepick {

QRegion shapeOf(const QImage& picture, QRgb keyColour) {
    // Compare colours only: the key is a colour, whatever alpha the file has.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    return QRegion(QBitmap::fromImage(rgb.createMaskFromColor(keyColour, Qt::MaskInColor)));
}

void applyShape(QWidget& widget, const QImage& picture, QRgb keyColour) {
    if (!picture.isNull()) {
        widget.setMask(shapeOf(picture, keyColour));
    }
}

}  // namespace huepick
