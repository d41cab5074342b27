// The main window's pictures, from the resources: the skin, the field frames,
// the buttons' released and pressed images (named after their holders) and the
// swatch shape masks. On screens with a device pixel ratio above 1 the 2x
// renderings are used, at the same logical size.
#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace huepick {

class Skin {
public:
    explicit Skin(qreal device_pixel_ratio);

    // A displayed picture by name ("skin", "r_1up", "Picture10", ...).
    QPixmap picture(const QString& name) const;
    // A picture at 1x, for shaping: "skin" and the masks "red_pic" ... "hex_pic".
    static QImage shape(const QString& name);
    static QIcon program_icon();

private:
    qreal ratio_;
    mutable QHash<QString, QPixmap> cache_;
};

}  // namespace huepick
