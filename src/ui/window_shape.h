// Cuts a widget (a top-level window or a child) to the shape of a picture: the
// picture's pixels of the key colour are removed, the others stay, with the
// picture's top-left on the widget's top-left. Nothing outside the picture
// stays either.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QRgb>
#include <QWidget>

namespace huepick {

class Kontura {
public:
    explicit Kontura(QRgb key_colour) : key_(key_colour) {}

    void shape_window(QWidget* widget);
    void shape_picture(const QImage& picture);

    QRgb key_colour() const { return key_; }
    // The part of a picture that stays.
    static QRegion region_of(const QImage& picture, QRgb key_colour);

private:
    void apply();

    QRgb key_;
    QPointer<QWidget> window_;
    QImage picture_;
};

}  // namespace huepick
