// SPDX-License-Identifier: MIT
// The shapes turned into rectangles at build time are exactly the kept
// pixels of their mask pictures.
#include <gtest/gtest.h>

#include <QBitmap>
#include <QImage>

#include "ui/built_shapes.h"

namespace huepick::testing {
namespace {

QRegion keptPixels(const QString& file, QRgb cut) {
    const QImage rgb = QImage(file).convertToFormat(QImage::Format_RGB32);
    return QRegion(QBitmap::fromImage(rgb.createMaskFromColor(cut, Qt::MaskInColor)));
}

TEST(BuiltShapes, MatchTheirMasksPixelForPixel) {
    const struct {
        const char* name;
        const char* file;
        QRgb cut;
    } shapes[] = {
        {"window", "skin/skin.png", qRgb(1, 255, 1)},
        {"red_swatch_mask", "skin/red_swatch_mask.png", qRgb(0, 255, 0)},
        {"green_swatch_mask", "skin/green_swatch_mask.png", qRgb(0, 255, 0)},
        {"blue_swatch_mask", "skin/blue_swatch_mask.png", qRgb(0, 255, 0)},
        {"colour_swatch_mask", "skin/colour_swatch_mask.png", qRgb(0, 255, 0)},
        {"red_frame", "skin/red_frame.png", qRgb(0, 255, 0)},
        {"lens", "lens/lens_mask.png", qRgb(0, 0, 0)},
    };
    for (const auto& s : shapes) {
        const QRegion expected =
            keptPixels(QStringLiteral(HUEPICK_ASSETS_DIR "/") + QLatin1String(s.file), s.cut);
        ASSERT_FALSE(expected.isEmpty()) << s.name;
        // The same pixels, however the two regions keep their rectangles.
        const QRegion built = built::shape(s.name);
        EXPECT_TRUE(built.xored(expected).isEmpty()) << s.name;
        EXPECT_EQ(built.boundingRect(), expected.boundingRect()) << s.name;
    }
    EXPECT_TRUE(built::shape("no such shape").isEmpty());
}

}  // namespace
}  // namespace huepick::testing
