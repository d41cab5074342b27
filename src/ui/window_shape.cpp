#include "ui/window_shape.h"

#include <QBitmap>

namespace huepick {

void Kontura::shape_window(QWidget* widget) {
    window_ = widget;
    apply();
}

void Kontura::shape_picture(const QImage& picture) {
    picture_ = picture;
    apply();
}

QRegion Kontura::region_of(const QImage& picture, QRgb key_colour) {
    // Compare colours only: the key is a colour, whatever alpha the file has.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    return QRegion(QBitmap::fromImage(rgb.createMaskFromColor(key_colour, Qt::MaskInColor)));
}

void Kontura::apply() {
    if (window_ && !picture_.isNull()) {
        window_->setMask(region_of(picture_, key_));
    }
}

}  // namespace huepick
