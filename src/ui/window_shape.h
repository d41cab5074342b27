// Cuts a widget (a top-level window or a child) to the shape of a picture: the
// picture's pixels of the key colour are removed, the others stay, with the
// picture's top-left on the widget's top-left. Nothing outside the picture
// stays either.
#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

class QWidget;

namespace huepick {

// The window's own skin marks its outside with this colour...
inline constexpr QRgb kWindowKey = qRgb(1, 255, 1);
// ...and the swatch masks theirs with this one.
inline constexpr QRgb kMaskKey = qRgb(0, 255, 0);

// The part of a picture that stays.
QRegion shapeOf(const QImage& picture, QRgb keyColour);

void applyShape(QWidget& widget, const QImage& picture, QRgb keyColour);

}  // namespace huepick
