// SPDX-License-Identifier: MIT
// Looking aids: the window as the program will assemble it from the written
// files (over a stand-in desktop), and an enlarged sheet of the small pictures.
#include <QFont>
#include <QPainter>

#include <algorithm>

#include "art.h"

namespace art {

namespace {

QImage load(const QString& dir, const QString& rel, int s) {
    QString name = rel;
    if (s == 2)
        name.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
    QImage img = QImage(dir + QLatin1Char('/') + name).convertToFormat(QImage::Format_ARGB32);
    img.setDevicePixelRatio(1.0);  // Qt reads "@2x" from the name; draw pixel for pixel
    return img;
}

void paintDesktop(QPainter& p, const QRect& r, int cell) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(176, 196, 214));
    g.setColorAt(1, QColor(226, 214, 196));
    p.fillRect(r, g);
    for (int y = r.top(); y < r.bottom(); y += cell) {
        for (int x = r.left() + ((y / cell) % 2) * cell; x < r.right(); x += 2 * cell) {
            p.fillRect(QRect(x, y, cell, cell), QColor(0, 0, 0, 14));
        }
    }
}

}  // namespace

QImage renderPreview(const QString& dir, int s) {
    QImage skin = load(dir, QStringLiteral("skin/skin.png"), s);
    for (int y = 0; y < skin.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(skin.scanLine(y));
        for (int x = 0; x < skin.width(); ++x) {
            if ((line[x] & 0xffffffu) == (keyRgb() & 0xffffffu))
                line[x] = 0;
        }
    }
    QImage out(skin.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    paintDesktop(p, out.rect(), 10 * s);
    p.drawImage(0, 0, skin);
    for (const auto& f : frames()) {
        p.drawImage(f.rect.topLeft() * s, load(dir, QStringLiteral("skin/%1.png").arg(f.name), s));
    }
    for (const auto& b : buttons()) {
        p.drawImage(b.rect.topLeft() * s,
                    load(dir, QStringLiteral("skin/%1.png").arg(b.released), s));
    }
    const QColor colours[4] = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 0),
                               QColor(255, 128, 0)};
    for (size_t i = 0; i < swatches().size(); ++i) {
        const Swatch& sw = swatches()[i];
        const QImage mask = load(dir, QStringLiteral("skin/%1.png").arg(sw.maskName), 1);
        for (int y = 0; y < std::min(mask.height(), sw.rect.height()); ++y) {
            for (int x = 0; x < std::min(mask.width(), sw.rect.width()); ++x) {
                if ((mask.pixel(x, y) & 0xffffffu) == (maskKeepRgb() & 0xffffffu)) {
                    p.fillRect(QRect((sw.rect.x() + x) * s, (sw.rect.y() + y) * s, s, s),
                               colours[i]);
                }
            }
        }
    }
    p.scale(s, s);
    const QString texts[4] = {QStringLiteral("255"), QStringLiteral("128"), QStringLiteral("0"),
                              QStringLiteral("#FF8000")};
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    for (size_t i = 0; i < frames().size(); ++i) {
        const QRect field = frames()[i].field;
        p.fillRect(field, Qt::black);
        p.drawText(field, Qt::AlignCenter, texts[i]);
    }
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage renderSheet(const QString& dir) {
    QImage out(1200, 900, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.fillRect(out.rect(), QColor(40, 42, 46));
    // Icons at their own size on dark and light backgrounds, then enlarged.
    int x = 10;
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        const QImage icon = load(dir, QStringLiteral("icons/huepick_%1.png").arg(size), 1);
        p.fillRect(QRect(x - 4, 6, size + 8, size + 8), QColor(230, 232, 236));
        p.drawImage(x, 10, icon);
        p.drawImage(x, 10 + size + 12, icon);
        x += size + 14;
    }
    x = 10;
    for (int size : {16, 22, 32, 48}) {
        const QImage icon = load(dir, QStringLiteral("icons/huepick_%1.png").arg(size), 1);
        const int k = 160 / size;
        paintDesktop(p, QRect(x, 560, size * k, size * k), k * 2);
        p.drawImage(QRect(x, 560, size * k, size * k), icon);
        x += size * k + 10;
    }
    // Cursors, 16x enlarged over a mid grey checker.
    x = 700;
    for (const char* name : {"eyedropper", "magnifier"}) {
        const QImage c = load(dir, QStringLiteral("cursors/%1.png").arg(QLatin1String(name)), 1);
        const QRect r(x, 10, 16 * 14, 16 * 14);
        for (int cy = 0; cy < 16; ++cy) {
            for (int cx = 0; cx < 16; ++cx) {
                p.fillRect(QRect(r.x() + cx * 14, r.y() + cy * 14, 14, 14),
                           (cx + cy) % 2 ? QColor(120, 124, 130) : QColor(140, 144, 150));
            }
        }
        p.drawImage(r, c.copy(0, 0, 16, 16));
        p.fillRect(QRect(x, 244, 40, 40), QColor(60, 90, 140));
        p.drawImage(x + 4, 248, c);
        p.fillRect(QRect(x + 44, 244, 40, 40), QColor(235, 235, 235));
        p.drawImage(x + 48, 248, c);
        x += 240;
    }
    // Lens ring over a colourful stand-in for magnified pixels.
    {
        const QImage ring = load(dir, QStringLiteral("lens/lens_ring.png"), 1);
        QImage px(150, 150, QImage::Format_ARGB32_Premultiplied);
        const QImage mask = load(dir, QStringLiteral("lens/lens_mask.png"), 1);
        for (int y = 0; y < 150; ++y) {
            for (int xx = 0; xx < 150; ++xx) {
                const bool on = qRed(mask.pixel(xx, y)) > 0;
                const QColor c = QColor::fromHsv(((xx / 10) * 25 + (y / 10) * 40) % 360, 160, 230);
                px.setPixel(xx, y, on ? c.rgba() : 0u);
            }
        }
        p.drawImage(10, 730, px);
        p.drawImage(10, 730, ring);
        const QImage ring2 = load(dir, QStringLiteral("lens/lens_ring.png"), 2);
        p.drawImage(QRect(180, 730, 150, 150), ring2);
    }
    // Swatch masks, enlarged 2x.
    for (size_t i = 0; i < swatches().size(); ++i) {
        const Swatch& sw = swatches()[i];
        const QImage m = load(dir, QStringLiteral("skin/%1.png").arg(sw.maskName), 1);
        p.drawImage(QRect(700 + static_cast<int>(i % 2) * 180, 310 + static_cast<int>(i / 2) * 175,
                          m.width() * 2, m.height() * 2),
                    m);
    }
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage renderButtonSheet(const QString& dir) {
    // Every button, released beside pressed, at 2x and then doubled again.
    QImage out(4 * 2 * 180 + 40, 3 * 170 + 20, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.fillRect(out.rect(), QColor(40, 42, 46));
    const auto& list = buttons();
    for (size_t i = 0; i < list.size(); ++i) {
        const int col = static_cast<int>(i % 4), row = static_cast<int>(i / 4);
        const QImage up = load(dir, QStringLiteral("skin/%1.png").arg(list[i].released), 2);
        const QImage down = load(dir, QStringLiteral("skin/%1.png").arg(list[i].pressed), 2);
        const QPoint at(10 + col * 370, 10 + row * 170);
        p.drawImage(QRect(at, up.size() * 2), up);
        p.drawImage(QRect(at + QPoint(180, 0), down.size() * 2), down);
    }
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

}  // namespace art
