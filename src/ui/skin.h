// SPDX-License-Identifier: MIT
// The main window's pictures, from the resources. Only what the first frame
// shows is decoded at the start: the whole skin, which holds every control in
// its released look and every frame; a button's pressed image is decoded when
// it is first pressed. On screens with a device pixel ratio above 1 the 2x
// renderings are used, at the same logical size.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRgb>
#include <QString>

#include "core/layout.h"

namespace huepick {

// The skin marks its outside with this colour.
inline constexpr QRgb kWindowKey = qRgb(1, 255, 1);

// Decodes a PNG of the resources with the PNG reader alone: letting Qt guess
// the format would load every image plugin.
QImage loadPng(const QString& path);

class Skin {
public:
    explicit Skin(qreal devicePixelRatio);

    // The whole window's picture.
    const QPixmap& window() const { return m_window; }
    // The same with its pixels of the key colour made transparent, for a
    // window whose shape shows only where it is painted.
    QPixmap windowCutOut(QRgb key) const;
    // What the skin shows at a control's place: a button's released image,
    // a frame's picture.
    QPixmap at(layout::Role role) const;
    // A button's pressed image.
    QPixmap pressed(layout::Role role) const;
    // The program's icon, in the sizes a window list and a tray use.
    static const QIcon& programIcon();

private:
    QString path(std::string_view name) const;

    qreal m_scale;
    QPixmap m_window;
};

}  // namespace huepick
