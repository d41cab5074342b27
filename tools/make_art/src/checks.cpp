// SPDX-License-Identifier: MIT
// Reads every written picture back and checks the rules the program relies
// on: sizes, the shaping key, exact black under the fields, crops that match
// the skin, two-colour masks, black/white cursors and the lens disc.
#include <QFile>
#include <QImage>

#include <cmath>
#include <cstdio>

#include "art.h"

namespace art {

namespace {

int g_problems = 0;

void fail(const QString& what) {
    std::fprintf(stderr, "check: %s\n", qPrintable(what));
    ++g_problems;
}

QRgb rgb(QRgb c) {
    return c & 0xffffffu;
}
bool isKey(QRgb c) {
    return rgb(c) == rgb(keyRgb());
}

QImage open(const QString& dir, const QString& rel, QSize size) {
    const QString path = dir + QLatin1Char('/') + rel;
    QImage img(path);
    if (img.isNull()) {
        fail(QStringLiteral("%1: missing or unreadable").arg(rel));
        return {};
    }
    if (img.size() != size) {
        fail(QStringLiteral("%1: %2x%3, want %4x%5")
                 .arg(rel)
                 .arg(img.width())
                 .arg(img.height())
                 .arg(size.width())
                 .arg(size.height()));
        return {};
    }
    return img.convertToFormat(QImage::Format_ARGB32);
}

QString at2x(const QString& rel) {
    QString r = rel;
    return r.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
}

bool sameImage(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (rgb(a.pixel(x, y)) != rgb(b.pixel(x, y)))
                return false;
        }
    }
    return true;
}

QRect scaled(const QRect& r, int s) {
    return {r.x() * s, r.y() * s, r.width() * s, r.height() * s};
}

void checkSkin(const QString& dir, QImage skin[3]) {
    skin[1] = open(dir, QStringLiteral("skin/skin.png"), {kWinW, kWinH});
    skin[2] = open(dir, QStringLiteral("skin/skin@2x.png"), {2 * kWinW, 2 * kWinH});
    if (skin[1].isNull() || skin[2].isNull())
        return;
    const auto& inside = insideMask();
    int mismatches = 0;
    for (int y = 0; y < kWinH; ++y) {
        for (int x = 0; x < kWinW; ++x) {
            const bool key = isKey(skin[1].pixel(x, y));
            if (key == inside[static_cast<size_t>(y * kWinW + x)])
                ++mismatches;
            if (qAlpha(skin[1].pixel(x, y)) != 255)
                ++mismatches;
        }
    }
    if (mismatches)
        fail(QStringLiteral("skin.png: %1 pixels disagree with the outline").arg(mismatches));
    mismatches = 0;
    for (int y = 0; y < 2 * kWinH; ++y) {
        for (int x = 0; x < 2 * kWinW; ++x) {
            if (isKey(skin[2].pixel(x, y)) != isKey(skin[1].pixel(x / 2, y / 2)))
                ++mismatches;
        }
    }
    if (mismatches)
        fail(QStringLiteral("skin@2x.png: %1 pixels break the 1x outline").arg(mismatches));

    // Every control lies well inside, 4 px clear of the edge and the hole.
    for (const QRect& r : controlRects()) {
        const QRect g = r.adjusted(-4, -4, 4, 4).intersected(QRect(0, 0, kWinW, kWinH));
        int keys = 0;
        for (int y = g.top(); y <= g.bottom(); ++y) {
            for (int x = g.left(); x <= g.right(); ++x) keys += isKey(skin[1].pixel(x, y));
        }
        if (keys || g != r.adjusted(-4, -4, 4, 4)) {
            fail(QStringLiteral(
                     "control at %1,%2 %3x%4 is within 4 px of the outline (%5 key pixels)")
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height())
                     .arg(keys));
        }
    }
    if (!isKey(skin[1].pixel(249, 174)))
        fail(QStringLiteral("no thumb hole at 249,174"));
    for (int y = 0; y < kWinH; y += kWinH - 1) {
        for (int x = 0; x < kWinW; x += kWinW - 1) {
            if (!isKey(skin[1].pixel(x, y)))
                fail(QStringLiteral("corner %1,%2 is not key").arg(x).arg(y));
        }
    }
}

void checkCrops(const QString& dir, QImage skin[3]) {
    for (int s = 1; s <= 2; ++s) {
        if (skin[s].isNull())
            return;
        for (const auto& f : frames()) {
            const QString rel = QStringLiteral("skin/%1.png").arg(f.name);
            const QImage img = open(dir, s == 1 ? rel : at2x(rel), f.rect.size() * s);
            if (img.isNull())
                continue;
            if (!sameImage(img, skin[s].copy(scaled(f.rect, s))))
                fail(rel + QStringLiteral(": not the skin crop"));
            const QRect field = scaled(f.field.translated(-f.rect.topLeft()), s);
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb c = rgb(img.pixel(x, y));
                    if (c == rgb(maskCutRgb()))
                        fail(rel + QStringLiteral(": pure green pixel"));
                    if (field.contains(x, y) && c != 0) {
                        fail(rel + QStringLiteral(": field not black at %1,%2").arg(x).arg(y));
                        return;
                    }
                }
            }
        }
        for (const auto& b : buttons()) {
            const QString up = QStringLiteral("skin/%1.png").arg(b.released);
            const QString down = QStringLiteral("skin/%1.png").arg(b.pressed);
            const QImage u = open(dir, s == 1 ? up : at2x(up), b.rect.size() * s);
            const QImage d = open(dir, s == 1 ? down : at2x(down), b.rect.size() * s);
            if (u.isNull() || d.isNull())
                continue;
            if (!sameImage(u, skin[s].copy(scaled(b.rect, s))))
                fail(up + QStringLiteral(": not the skin crop"));
            int changed = 0;
            for (int y = 0; y < u.height(); ++y) {
                for (int x = 0; x < u.width(); ++x) {
                    changed += rgb(u.pixel(x, y)) != rgb(d.pixel(x, y));
                    if (isKey(d.pixel(x, y)) || isKey(u.pixel(x, y)))
                        fail(up + QStringLiteral(": key colour inside"));
                }
            }
            // The pressed face must differ over most of its area.
            const double face = M_PI * b.radius * b.radius * s * s;
            if (changed < face * 0.6)
                fail(down + QStringLiteral(": hardly differs from released"));
        }
    }
}

void checkMasks(const QString& dir) {
    for (const auto& sw : swatches()) {
        const QString rel = QStringLiteral("skin/%1.png").arg(sw.maskName);
        const QImage m = open(dir, rel, sw.maskSize);
        if (m.isNull())
            continue;
        if (QFile::exists(dir + QLatin1Char('/') + at2x(rel)))
            fail(at2x(rel) + QStringLiteral(": masks are 1x only"));
        int kept = 0;
        for (int y = 0; y < m.height(); ++y) {
            for (int x = 0; x < m.width(); ++x) {
                const QRgb c = rgb(m.pixel(x, y));
                if (c != rgb(maskCutRgb()) && c != rgb(maskKeepRgb())) {
                    fail(rel + QStringLiteral(": third colour at %1,%2").arg(x).arg(y));
                    return;
                }
                if (c != rgb(maskKeepRgb()))
                    continue;
                ++kept;
                const QPoint g = sw.rect.topLeft() + QPoint(x, y);
                if (!sw.rect.contains(g))
                    fail(rel + QStringLiteral(": shape outside the swatch"));
                for (const QRect& r : controlRects()) {
                    if (r != sw.rect && r.contains(g)) {
                        fail(rel + QStringLiteral(": shape under another control at %1,%2")
                                       .arg(g.x())
                                       .arg(g.y()));
                        return;
                    }
                }
            }
        }
        if (kept < m.width() * m.height() / 2)
            fail(rel + QStringLiteral(": shape too small"));
    }
}

void checkCursor(const QString& dir, const QString& name) {
    const QString rel = QStringLiteral("cursors/%1.png").arg(name);
    const QImage c = open(dir, rel, {32, 32});
    if (c.isNull())
        return;
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb p = c.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ++opaque;
            if (qAlpha(p) != 255 || (rgb(p) != 0 && rgb(p) != 0xffffffu)) {
                fail(rel + QStringLiteral(": not pure black/white at %1,%2").arg(x).arg(y));
            }
            if (x >= 16 || y >= 16)
                fail(rel + QStringLiteral(": pixel outside the top-left 16x16"));
        }
    }
    if (opaque < 30)
        fail(rel + QStringLiteral(": nearly empty"));
}

void checkLens(const QString& dir) {
    const QImage m = open(dir, QStringLiteral("lens/lens_mask.png"), {150, 150});
    if (!m.isNull()) {
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 150; ++x) {
                const double dx = x - 74.5, dy = y - 74.5;
                const QRgb want = dx * dx + dy * dy <= 74.0 * 74.0 ? 0xffffffu : 0u;
                if (rgb(m.pixel(x, y)) != want || qAlpha(m.pixel(x, y)) != 255) {
                    fail(QStringLiteral("lens_mask.png: wrong at %1,%2").arg(x).arg(y));
                    return;
                }
            }
        }
        auto rowSpan = [&](int y) {
            int first = -1, last = -1;
            for (int x = 0; x < 150; ++x) {
                if (rgb(m.pixel(x, y)) == 0xffffffu) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
            return std::pair{first, last};
        };
        if (rowSpan(1) != std::pair{66, 83} || rowSpan(2) != std::pair{60, 89} ||
            rowSpan(0).first != -1) {
            fail(QStringLiteral("lens_mask.png: rows 0..2 are not as expected"));
        }
    }
    for (int s = 1; s <= 2; ++s) {
        const QString rel =
            s == 1 ? QStringLiteral("lens/lens_ring.png") : QStringLiteral("lens/lens_ring@2x.png");
        const QImage r = open(dir, rel, {150 * s, 150 * s});
        if (r.isNull())
            continue;
        int ring = 0;
        for (int y = 0; y < r.height(); ++y) {
            for (int x = 0; x < r.width(); ++x) {
                const double d = std::hypot(x + 0.5 - 75.0 * s, y + 0.5 - 75.0 * s) / s;
                const int a = qAlpha(r.pixel(x, y));
                if (d < 69.5 && a != 0) {
                    fail(rel + QStringLiteral(": centre not transparent at %1,%2").arg(x).arg(y));
                    return;
                }
                if (d > 72.0 && d < 74.0 && a == 255)
                    ++ring;
            }
        }
        if (ring < 400 * s)
            fail(rel + QStringLiteral(": ring missing"));
    }
}

void checkIcons(const QString& dir) {
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        const QString rel = QStringLiteral("icons/huepick_%1.png").arg(size);
        const QImage i = open(dir, rel, {size, size});
        if (i.isNull())
            continue;
        if (qAlpha(i.pixel(0, 0)) || qAlpha(i.pixel(size - 1, size - 1)))
            fail(rel + QStringLiteral(": corners not clear"));
        int solid = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) solid += qAlpha(i.pixel(x, y)) == 255;
        }
        if (solid < size * size / 3)
            fail(rel + QStringLiteral(": too little drawn"));
    }
}

}  // namespace

int checkAssets(const QString& dir) {
    g_problems = 0;
    QImage skin[3];
    checkSkin(dir, skin);
    checkCrops(dir, skin);
    checkMasks(dir);
    checkCursor(dir, QStringLiteral("eyedropper"));
    checkCursor(dir, QStringLiteral("magnifier"));
    {
        const QImage e = open(dir, QStringLiteral("cursors/eyedropper.png"), {32, 32});
        if (!e.isNull() && qAlpha(e.pixel(0, 0)) != 255)
            fail(QStringLiteral("eyedropper.png: tip is not at 0,0"));
    }
    checkLens(dir);
    checkIcons(dir);
    return g_problems;
}

}  // namespace art
