// SPDX-License-Identifier: MIT
// Program icon, the two picking cursors and the magnifying lens pictures.
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>

#include "art.h"
#include "raster.h"

namespace art {

namespace {

QPainterPath disc(QPointF c, double r) {
    QPainterPath p;
    p.addEllipse(c, r, r);
    return p;
}

// ---- icon --------------------------------------------------------------
// Designed on a 64-unit square. Small sizes drop detail rather than shrink it:
// 16 and 22 are a palette with three big dabs; 32 adds the thumb hole;
// 48 and up add the eyedropper and a fourth, orange dab being picked.

QPainterPath iconPalette(int detail) {
    // A notch at the lower right, beside the thumb hole, says "palette".
    QPainterPath p = smoothClosed({{3, 31},
                                   {9, 14},
                                   {25, 5},
                                   {44, 6},
                                   {57, 15},
                                   {61, 30},
                                   {59, 44},
                                   {54, 53},
                                   {46, 53},
                                   {38, 59},
                                   {22, 61},
                                   {7, 51}});
    if (detail >= 1) {
        p.addEllipse(QPointF(48, 41), 4.6, 3.9);
        p.setFillRule(Qt::OddEvenFill);
    }
    return p;
}

struct Dab {
    QPointF c;
    double r;
    QColor colour;
};

std::vector<Dab> iconDabs(int detail) {
    if (detail == 0) {
        return {
            {{17, 25}, 8.0, redTint()}, {{37, 18}, 7.5, greenTint()}, {{20, 45}, 8.0, blueTint()}};
    }
    std::vector<Dab> d = {
        {{15, 28}, 6.4, redTint()}, {{28, 15}, 6.0, greenTint()}, {{16, 45}, 6.4, blueTint()}};
    if (detail >= 2)
        d.push_back({{30, 48}, 5.8, orangeTint()});
    return d;
}

void drawIconDropper(QPainter& p) {
    // Lies along +x with the tip at +x, turned so the tip dips down-left
    // towards the orange dab and the bulb sits in the upper-right corner.
    QTransform t;
    t.translate(37.5, 33.5);
    t.rotate(135);
    t.scale(0.74, 0.74);
    t.translate(-12, 0);
    const QColor outline(14, 15, 18);
    QPainterPath bulb;
    bulb.addRoundedRect(QRectF(-27, -5, 12, 10), 4.8, 4.8);
    QPainterPath collar;
    collar.addRoundedRect(QRectF(-16, -6.2, 4, 12.4), 1.5, 1.5);
    QPainterPath tube;
    tube.addRoundedRect(QRectF(-12.5, -3.6, 17, 7.2), 1.5, 1.5);
    QPainterPath tip;
    tip.moveTo(4.0, -2.6);
    tip.lineTo(12.0, -0.9);
    tip.lineTo(12.0, 0.9);
    tip.lineTo(4.0, 2.6);
    tip.closeSubpath();
    QPainterPath all = bulb.united(collar).united(tube).united(tip);
    QPainterPathStroker st;
    st.setWidth(3.0);
    st.setJoinStyle(Qt::RoundJoin);
    p.fillPath(t.map(all.united(st.createStroke(all))), outline);
    QLinearGradient rubber(t.map(QPointF(-21, -5)), t.map(QPointF(-21, 5)));
    rubber.setColorAt(0, QColor(150, 160, 176));
    rubber.setColorAt(1, QColor(62, 68, 80));
    p.fillPath(t.map(bulb), rubber);
    p.fillPath(t.map(collar), QColor(110, 118, 132));
    QLinearGradient glass(t.map(QPointF(0, -3.6)), t.map(QPointF(0, 3.6)));
    glass.setColorAt(0, QColor(250, 251, 253));
    glass.setColorAt(1, QColor(196, 204, 216));
    p.fillPath(t.map(tube), glass);
    p.fillPath(t.map(tip), glass);
    QPainterPath liquid;
    liquid.addRect(QRectF(-3, -2.4, 7, 4.8));
    liquid.moveTo(4, -1.8);
    liquid.lineTo(10.5, -0.5);
    liquid.lineTo(10.5, 0.5);
    liquid.lineTo(4, 1.8);
    liquid.closeSubpath();
    p.fillPath(t.map(liquid), orangeTint());
    QPainterPath shine;
    shine.addRect(QRectF(-11, -2.6, 13, 1.2));
    p.fillPath(t.map(shine), QColor(255, 255, 255, 200));
}

}  // namespace

QImage renderIcon(int size) {
    const int detail = size >= 48 ? 2 : (size >= 32 ? 1 : 0);
    const double u = size / 64.0;
    const QSize dev(size, size);
    const QPainterPath palette = iconPalette(detail);
    const auto dabs = iconDabs(detail);

    // Lit palette with its dabs, opaque; alpha comes from coverage afterwards.
    QImage img(dev, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(u, u);
        QLinearGradient slate(QPointF(8, 6), QPointF(52, 60));
        slate.setColorAt(0, QColor(116, 125, 140));
        slate.setColorAt(1, QColor(62, 68, 79));
        p.fillRect(QRectF(0, 0, 64, 64), slate);
        for (const auto& d : dabs) {
            // Tiny icons have no pixels to spare for a rim round the dabs.
            p.setPen(detail == 0 ? QPen(Qt::NoPen) : QPen(QColor(30, 33, 38), 1.4));
            p.setBrush(d.colour);
            p.drawEllipse(d.c, d.r, d.r);
        }
    }
    const Field cov = pathCoverage(dev, u, palette);
    Field height = blurred(cov, static_cast<float>(std::max(0.7, 2.2 * u)));
    for (float& v : height.v) v *= static_cast<float>(4.0 * u + 1.0);
    const Field dabCov = coverage(dev, u, [&](QPainter& p) {
        for (const auto& d : dabs) p.drawEllipse(d.c, d.r, d.r);
    });
    if (detail > 0) {
        height.add(blurred(dabCov, static_cast<float>(std::max(0.6, 1.6 * u))),
                   static_cast<float>(1.5 + 1.5 * u));
    }
    Lighting light;
    light.gloss = 0.6;
    light.shininess = 18;
    applyLighting(img, height, Field(size, size, 1.f), 1.0, light);

    QImage out(dev, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    for (int y = 0; y < size; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const float a = cov.at(x, y);
            const QRgb c = src[x];
            dst[x] = qRgba(qRound(qRed(c) * a), qRound(qGreen(c) * a), qRound(qBlue(c) * a),
                           qRound(255 * a));
        }
    }
    {
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(u, u);
        // Dark rim inside the edge keeps the shape on light panels; the lit
        // bevel keeps it on dark ones.
        p.save();
        p.setClipPath(palette);
        p.strokePath(palette, QPen(QColor(16, 17, 20, 220), std::max(1.6, 1.25 / u) * 1.0));
        p.restore();
        for (const auto& d : dabs) {
            QRadialGradient glint(d.c + QPointF(-0.35, -0.45) * d.r, 0.55 * d.r);
            glint.setColorAt(0, QColor(255, 255, 255, detail == 0 ? 110 : 160));
            glint.setColorAt(1, QColor(255, 255, 255, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glint);
            p.drawEllipse(d.c, d.r, d.r);
        }
        if (detail >= 2)
            drawIconDropper(p);
    }
    return out.convertToFormat(QImage::Format_ARGB32);
}

// ---- cursors -----------------------------------------------------------
// Pure pixel art: each pixel is transparent, opaque black or opaque white.

namespace {
enum Px { Clear, Black, White };

QImage cursorImage(const std::function<Px(double, double)>& at) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const Px v = at(x + 0.5, y + 0.5);
            if (v == Black)
                img.setPixel(x, y, qRgba(0, 0, 0, 255));
            if (v == White)
                img.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
    }
    return img;
}
}  // namespace

QImage renderEyedropperCursor() {
    // Drawn by hand: at this size a formula gives mush. Tip at (0,0), nozzle,
    // white glass tube, collar, rubber bulb at the lower right.
    static const char* const kRows[16] = {
        "X...............",  //
        ".X..............",  //
        ".XXX............",  //
        "..XXXX..........",  //
        "..XoooX.........",  //
        "...XoooX........",  //
        "....XoooX.......",  //
        ".....XoooX......",  //
        "......XoooX.....",  //
        "......XXXXXXX...",  //
        ".......XXXXXXX..",  //
        ".........XXXXX..",  //
        "..........XXXXX.",  //
        "...........XXXX.",  //
        "............XX..",  //
        "................",  //
    };
    QImage img = cursorImage([](double x, double y) {
        const char c = kRows[static_cast<int>(y)][static_cast<int>(x)];
        return c == 'X' ? Black : (c == 'o' ? White : Clear);
    });
    img.setPixel(0, 0, qRgba(0, 0, 0, 255));  // the hot spot is the tip
    // A white halo round the black bulb and collar keeps them visible on
    // dark screens; the nozzle stays bare so the tip reads exactly.
    const QImage solid = img.copy();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (y < 8 || qAlpha(solid.pixel(x, y)) != 0)
                continue;
            const int n[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& d : n) {
                const int nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 9 || nx > 15 || ny > 15)
                    continue;
                if (solid.pixel(nx, ny) == qRgba(0, 0, 0, 255)) {
                    img.setPixel(x, y, qRgba(255, 255, 255, 255));
                    break;
                }
            }
        }
    }
    return img;
}

QImage renderMagnifierCursor() {
    return cursorImage([](double x, double y) {
        const double cx = 5.5, cy = 5.5;
        const double d = std::hypot(x - cx, y - cy);
        const double a = ((x - cx) + (y - cy)) / std::sqrt(2.0);
        const double b = std::abs((x - cx) - (y - cy)) / std::sqrt(2.0);
        const bool handle = a >= 4.0 && a <= 13.4 && b <= 1.25;
        const bool handleEdge = a >= 4.0 && a <= 14.4 && b <= 2.2;
        if ((d >= 3.4 && d <= 5.2) || handle)
            return Black;
        if (d > 5.2 && d <= 6.2)
            return White;
        if (handleEdge)
            return White;
        // Glint on the glass, upper left.
        if (d >= 1.5 && d < 3.4 && x - cx < -0.2 && y - cy < -0.2 &&
            std::abs((x - cx) - (y - cy)) < 2.6)
            return White;
        return Clear;
    });
}

// ---- lens --------------------------------------------------------------

QImage renderLensMask() {
    QImage img(150, 150, QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 150; ++x) {
            const double dx = x - 74.5, dy = y - 74.5;
            img.setPixel(x, y,
                         dx * dx + dy * dy <= 74.0 * 74.0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    return img;
}

QImage renderLensRing(int s) {
    QImage img(150 * s, 150 * s, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s, s);
    const QPointF c(75, 75);
    // Reaches past the disc so the mask's stepped edge is always covered.
    QPainterPath ring = disc(c, 75.6);
    ring.addPath(disc(c, 71.2));
    ring.setFillRule(Qt::OddEvenFill);
    QConicalGradient metal(c, 135);
    metal.setColorAt(0.0, QColor(168, 176, 190));
    metal.setColorAt(0.18, QColor(86, 93, 105));
    metal.setColorAt(0.5, QColor(30, 33, 38));
    metal.setColorAt(0.82, QColor(86, 93, 105));
    metal.setColorAt(1.0, QColor(168, 176, 190));
    p.fillPath(ring, metal);
    // A dark lip between the ring and the magnified pixels, with a faint
    // highlight on its lower right where light would catch the inner edge.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(6, 7, 9, 235), 1.1));
    p.drawEllipse(c, 71.55, 71.55);
    QConicalGradient lip(c, -45);
    lip.setColorAt(0.0, QColor(255, 255, 255, 90));
    lip.setColorAt(0.2, QColor(255, 255, 255, 0));
    lip.setColorAt(0.8, QColor(255, 255, 255, 0));
    lip.setColorAt(1.0, QColor(255, 255, 255, 90));
    p.setPen(QPen(QBrush(lip), 0.7));
    p.drawEllipse(c, 72.6, 72.6);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace art
