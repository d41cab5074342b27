// The main window's pictures, from the resources: the skin, the field frames,
// the buttons' released and pressed images (named after their holders) and the
// swatch shape masks. On screens with a device pixel ratio above 1 the 2x
// renderings are used, at the same logical size.
#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRgb>
#include <QString>

namespace huepick {

// Decodes a PNG of the resources with the PNG reader alone: letting Qt guess
// the format would load every image plugin at start-up.
QImage loadPng(const QString& path);

class Skin {
public:
    explicit Skin(qreal devicePixelRatio);

    // A displayed picture by name (a name of the layout table, or "skin").
    QPixmap picture(const QString& name) const;
    // The picture with its pixels of the key colour made transparent, for a
    // window whose shape shows only where it is painted.
    QPixmap cutOut(const QString& name, QRgb key) const;
    // A picture at 1x, for shaping: "skin" and the swatch masks.
    QImage shape(const QString& name) const;
    // The program's icon, in the sizes a window list and a tray use.
    static const QIcon& programIcon();

private:
    qreal m_ratio;
    mutable QHash<QString, QPixmap> m_pictures;
    mutable QHash<QString, QImage> m_shapes;
};

}  // namespace huepick
