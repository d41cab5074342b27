// SPDX-License-Identifier: MIT
// The palette-shaped window skin: slate surface with a soft bevel, recessed
// wells under the swatches, sockets under the buttons, raised plates around
// the entry fields, and the wordmark.
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

#include "art.h"
#include "raster.h"

namespace art {

namespace {

const QColor kRim(12, 13, 16);  // what the outermost edge blends into
const QColor kWellWall(70, 76, 86);
const QColor kWellFloor(14, 15, 18);
const QColor kSocket(30, 33, 38);
const QColor kWindow(10, 11, 13);
constexpr double kWellGrow = 3.2;    // well rim outside the swatch shape
constexpr double kSocketGrow = 2.5;  // socket rim outside a button face
constexpr double kPlateRadius = 22.0;
constexpr double kWindowGrow = 2.0;

QSize deviceSize(int s) {
    return {kWinW * s, kWinH * s};
}

QRectF windowRect(const Frame& f) {
    return QRectF(f.field).adjusted(-kWindowGrow, -kWindowGrow, kWindowGrow, kWindowGrow);
}

QPainterPath platePath(const Frame& f) {
    QPainterPath p;
    if (f.label.isEmpty()) {
        p.addRoundedRect(QRectF(276.5, 103.5, 77, 36), 11, 11);
    } else {
        p.addEllipse(QRectF(f.field).center(), kPlateRadius, kPlateRadius);
    }
    return p;
}

QPainterPath windowPath(const Frame& f) {
    QPainterPath p;
    p.addRoundedRect(windowRect(f), 3, 3);
    return p;
}

QPointF hueDotCentre() {
    return {348, 122.5};
}

QFont boldFont(double px, const char* family = "DejaVu Sans") {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(static_cast<int>(std::lround(px)));
    f.setWeight(QFont::Bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Letters pressed into the surface: a light lower lip, a dark recess, and the
// fill shifted down-right so the upper-left inner wall reads as shadow.
void drawDebossed(QPainter& p, const QPainterPath& text, const QBrush& fill) {
    p.fillPath(text.translated(0, 0.9), QColor(255, 255, 255, 30));
    p.fillPath(text, QColor(8, 9, 11));
    p.save();
    p.setClipPath(text);
    p.fillPath(text.translated(0.55, 0.75), fill);
    p.restore();
}

void drawWordmark(QPainter& p) {
    const QFont f = boldFont(21);
    QPainterPath hue;
    hue.addText(0, 0, f, QStringLiteral("hue"));
    QPainterPath pick;
    pick.addText(QFontMetricsF(f).horizontalAdvance(QStringLiteral("hue")) - 0.5, 0, f,
                 QStringLiteral("pick"));
    const QRectF all = hue.boundingRect().united(pick.boundingRect());
    const QPointF at(171 - all.center().x(), 46);
    hue.translate(at);
    pick.translate(at);

    QLinearGradient rainbow(hue.boundingRect().topLeft(), hue.boundingRect().topRight());
    for (int i = 0; i <= 6; ++i) {
        rainbow.setColorAt(i / 6.0, QColor::fromHsvF(i / 6.0 * 0.83, 0.62, 1.0));
    }
    drawDebossed(p, hue, rainbow);
    drawDebossed(p, pick, QColor(196, 201, 210));
}

void drawPlateDetails(QPainter& p, const Frame& f) {
    if (f.label.isEmpty()) {
        // A small hue wheel beside the hex field.
        const QPointF c = hueDotCentre();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(8, 9, 11));
        p.drawEllipse(c, 4.6, 4.6);
        QConicalGradient wheel(c, 90);
        for (int i = 0; i <= 6; ++i) {
            wheel.setColorAt(i / 6.0, QColor::fromHsvF(std::fmod(i / 6.0, 1.0), 0.75, 1.0));
        }
        p.setBrush(wheel);
        p.drawEllipse(c, 3.6, 3.6);
        QRadialGradient gloss(c + QPointF(-1.2, -1.4), 3.4);
        gloss.setColorAt(0, QColor(255, 255, 255, 150));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawEllipse(c, 3.6, 3.6);
        return;
    }
    const QPointF c = QRectF(f.field).center();
    // Coloured inlay ring with a gap at the top for the letter.
    const double r = 18.6;
    const QRectF ring(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const int start = (90 + 25) * 16;
    const int span = (360 - 50) * 16;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(8, 9, 11, 220), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(ring, start, span);
    p.setPen(QPen(f.tint, 1.25, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(ring.translated(0.25, 0.35), start, span);

    QPainterPath letter;
    const QFont lf = boldFont(11);
    letter.addText(0, 0, lf, f.label);
    const QRectF b = letter.boundingRect();
    letter.translate(c.x() - b.center().x(), f.field.top() - kWindowGrow - 2.2 - b.bottom());
    drawDebossed(p, letter, f.tint);
}

}  // namespace

const std::vector<bool>& insideMask() {
    static const std::vector<bool> kMask = [] {
        const Field cov = pathCoverage(deviceSize(1), 1.0, paletteShape());
        std::vector<bool> m(static_cast<size_t>(kWinW * kWinH));
        for (int y = 0; y < kWinH; ++y) {
            for (int x = 0; x < kWinW; ++x) {
                m[static_cast<size_t>(y * kWinW + x)] = cov.at(x, y) >= 0.5f;
            }
        }
        return m;
    }();
    return kMask;
}

void applyKey(QImage& img, int s) {
    const auto& inside = insideMask();
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (!inside[static_cast<size_t>((y / s) * kWinW + x / s)]) {
                line[x] = keyRgb();
            } else {
                QRgb c = line[x] | 0xff000000u;
                if ((c & 0xffffffu) == (keyRgb() & 0xffffffu)) {
                    c = qRgb(1, 254, 1);  // never the key inside
                }
                line[x] = c;
            }
        }
    }
}

QImage renderSkinBase(int s) {
    const QSize dev = deviceSize(s);
    const QPainterPath shape = paletteShape();

    QImage img(dev, QImage::Format_ARGB32_Premultiplied);
    img.fill(kRim);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        p.setPen(Qt::NoPen);

        QLinearGradient surface(QPointF(40, 0), QPointF(330, 300));
        surface.setColorAt(0.0, QColor(74, 80, 91));
        surface.setColorAt(0.5, QColor(55, 60, 69));
        surface.setColorAt(1.0, QColor(40, 43, 50));
        p.fillPath(shape, surface);
        QRadialGradient sheen(QPointF(110, 50), 230);
        sheen.setColorAt(0, QColor(255, 255, 255, 16));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillPath(shape, sheen);

        for (const auto& sw : swatches()) {
            const QPainterPath blob = swatchPathWindow(sw);
            p.setPen(QPen(kWellWall, 2 * kWellGrow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(kWellWall);
            p.drawPath(blob);
            p.setPen(QPen(kWellFloor, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(kWellFloor);
            p.drawPath(blob);
        }
        p.setPen(Qt::NoPen);
        for (const auto& b : buttons()) {
            p.setBrush(kSocket);
            p.drawEllipse(b.centre, b.radius + kSocketGrow, b.radius + kSocketGrow);
        }
        for (const auto& f : frames()) {
            const QRectF pb = platePath(f).boundingRect();
            QLinearGradient plate(pb.topLeft(), pb.bottomRight());
            plate.setColorAt(0, QColor(84, 91, 103));
            plate.setColorAt(1, QColor(52, 57, 65));
            p.fillPath(platePath(f), plate);
            p.fillPath(windowPath(f), kWindow);
        }
    }

    const Field cov = pathCoverage(dev, s, shape);

    // Slate: faint mottling plus fine grain, fixed seeds.
    for (int y = 0; y < dev.height(); ++y) {
        for (int x = 0; x < dev.width(); ++x) {
            const float w = cov.at(x, y);
            if (w <= 0.f)
                continue;
            const double ux = (x + 0.5) / s, uy = (y + 0.5) / s;
            const float n = 3.2f * valueNoise(ux / 11.0, uy / 11.0, 7) +
                            1.6f * valueNoise(ux / 3.5, uy / 3.5, 11) +
                            1.8f * hashNoise(x, y, 3 + static_cast<uint32_t>(s));
            addToRgb(img, x, y, n * w);
        }
    }

    Field height = blurred(cov, 2.4f * s);
    for (float& v : height.v) v *= 4.0f;
    const float hs = static_cast<float>(s);
    {
        const Field wells = coverage(dev, s, [](QPainter& p) {
            for (const auto& sw : swatches()) {
                const QPainterPath blob = swatchPathWindow(sw);
                p.fillPath(blob, Qt::white);
                p.strokePath(blob, QPen(Qt::white, 2 * kWellGrow, Qt::SolidLine, Qt::RoundCap,
                                        Qt::RoundJoin));
            }
        });
        height.add(blurred(wells, 0.8f * hs), -2.4f);
        const Field sockets = coverage(dev, s, [](QPainter& p) {
            for (const auto& b : buttons()) {
                p.drawEllipse(b.centre, b.radius + kSocketGrow, b.radius + kSocketGrow);
            }
        });
        height.add(blurred(sockets, 0.7f * hs), -1.6f);
        const Field plates = coverage(dev, s, [](QPainter& p) {
            for (const auto& f : frames()) p.fillPath(platePath(f), Qt::white);
        });
        height.add(blurred(plates, 1.1f * hs), 1.8f);
        const Field windows = coverage(dev, s, [](QPainter& p) {
            for (const auto& f : frames()) p.fillPath(windowPath(f), Qt::white);
        });
        height.add(blurred(windows, 0.6f * hs), -2.0f);
    }
    applyLighting(img, height, cov, s, Lighting{});

    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        drawWordmark(p);
        for (const auto& f : frames()) drawPlateDetails(p, f);
    }
    // The entry fields sit exactly on black.
    for (const auto& f : frames()) {
        const QRect r(f.field.x() * s, f.field.y() * s, f.field.width() * s, f.field.height() * s);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) line[x] = qRgb(0, 0, 0);
        }
    }
    return img;
}

QImage renderSkinWithButtons(const QImage& base, int s, int pressedIndex) {
    QImage img = base.copy();
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        const auto& list = buttons();
        for (size_t i = 0; i < list.size(); ++i) {
            drawStud(p, list[i], static_cast<int>(i) == pressedIndex);
        }
    }
    applyKey(img, s);
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage renderSwatchMask(const Swatch& sw) {
    const Field cov = pathCoverage(sw.maskSize, 1.0, swatchPathLocal(sw));
    QImage img(sw.maskSize, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const bool onSwatch = x < sw.rect.width() && y < sw.rect.height();
            line[x] = (onSwatch && cov.at(x, y) >= 0.5f) ? maskKeepRgb() : maskCutRgb();
        }
    }
    return img;
}

}  // namespace art
