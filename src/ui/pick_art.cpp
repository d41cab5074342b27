// SPDX-License-Identifier: MIT
#include "ui/pick_art.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace huepick {

namespace {

constexpr int kCursorSize = 32;

QPixmap cursorPicture(const QString& path, void (*draw)(QPainter&)) {
    QPixmap picture(path);
    if (!picture.isNull()) {
        return picture;
    }
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return QPixmap::fromImage(image);
}

void drawEyedropper(QPainter& p) {
    // Tip at (0, 0), tube towards the lower right, bulb at the end.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{0, 0}, {3, 1}, {10, 8}, {8, 10}, {1, 3}}));
    p.setBrush(Qt::black);
    p.drawEllipse(QRect(9, 9, 5, 5));
}

void drawMagnifier(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRect(1, 1, 9, 9));
    p.setPen(QPen(Qt::white, 1));
    p.drawPoint(4, 4);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(10, 10, 14, 14);
}

}  // namespace

// Made once and kept: every pick shows them.
const QCursor& eyedropperCursor() {
    static const QCursor kCursor(
        cursorPicture(QStringLiteral(":/cursors/eyedropper.png"), drawEyedropper), 0, 0);
    return kCursor;
}

const QCursor& magnifierCursor() {
    static const QCursor kCursor(
        cursorPicture(QStringLiteral(":/cursors/magnifier.png"), drawMagnifier), 0, 0);
    return kCursor;
}

const LensDisc& lensDisc() {
    static const LensDisc kDisc = discOfMask(lensMask());
    return kDisc;
}

QImage lensMask() {
    QImage mask(QStringLiteral(":/lens/lensMask.png"));
    if (mask.size() == QSize(lens::kSize, lens::kSize)) {
        return mask.convertToFormat(QImage::Format_RGB32);
    }
    mask = QImage(lens::kSize, lens::kSize, QImage::Format_RGB32);
    mask.fill(Qt::black);
    const LensDisc disc = LensDisc::circle();
    for (int y = 0; y < lens::kSize; ++y) {
        const LensDisc::Span& row = disc.rows()[y];
        for (int x = row.first; x <= row.last; ++x) {
            mask.setPixel(x, y, qRgb(255, 255, 255));
        }
    }
    return mask;
}

LensDisc discOfMask(const QImage& mask) {
    std::array<LensDisc::Span, lens::kSize> rows{};
    const QImage rgb = mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < std::min(rgb.height(), lens::kSize); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < std::min(rgb.width(), lens::kSize); ++x) {
            if ((line[x] & 0xFFFFFFu) != 0) {
                rows[y].first = rows[y].last < rows[y].first ? x : rows[y].first;
                rows[y].last = x;
            }
        }
    }
    return LensDisc(rows);
}

QImage lensRing(int size) {
    // One size per screen scale; a pick draws the lens again at every click.
    static QImage cached;
    if (!cached.isNull() && cached.width() == size) {
        return cached;
    }
    cached = scaledLensRing(size);
    return cached;
}

QImage scaledLensRing(int size) {
    // The larger drawing scales down more cleanly on dense screens.
    const QString base = QStringLiteral(":/lens/lensRing");
    QImage ring;
    if (size > lens::kSize) {
        ring.load(base + QStringLiteral("@2x.png"));
    }
    if (ring.isNull()) {
        ring.load(base + QStringLiteral(".png"));
    }
    if (ring.isNull()) {
        return ring;
    }
    ring.setDevicePixelRatio(1.0);
    return ring.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace huepick
