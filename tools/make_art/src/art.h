// SPDX-License-Identifier: MIT
// Huepick artwork: layout of the 400x300 window and the renderers.
// All geometry is in 1x window pixels; renderers take the output scale.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

#include "core/layout.h"

namespace art {

constexpr int kWinW = 400;
constexpr int kWinH = 300;

// The window shape's key: every pixel outside the palette has exactly this colour.
inline QRgb keyRgb() {
    return qRgb(1, 255, 1);
}
// Swatch masks: cut away / kept.
inline QRgb maskCutRgb() {
    return qRgb(0, 255, 0);
}
inline QRgb maskKeepRgb() {
    return qRgb(192, 192, 192);
}

// Channel accents, used by arrows, labels and rings alike.
QColor redTint();
QColor greenTint();
QColor blueTint();
QColor orangeTint();  // the "picked colour" accent
QColor glyphLight();

enum class Glyph { Up, Down, Dropper, Magnifier, Close, Export, Help, Log };

using huepick::layout::Role;

// Places and picture names come from the program's layout table.
struct Button {
    Button(Role role, QPointF centre, double radius, Glyph glyph, QColor tint);
    QString released;
    QString pressed;
    QRect rect;      // the picture's place in the window
    QPointF centre;  // the round face inside it
    double radius;
    Glyph glyph;
    QColor tint;
};

struct Frame {
    Frame(Role frame, Role field, QString label, QColor tint);
    QString name;
    QRect rect;   // picture place
    QRect field;  // the black entry field, window coordinates
    QString label;
    QColor tint;
};

struct Swatch {
    Swatch(Role role, QSize maskSize, std::vector<QPointF> outline,
           std::vector<std::pair<QPointF, double>> drops);
    QString maskName;
    QRect rect;                    // the swatch's place in the window
    QSize maskSize;                // the mask picture's size (top-left on the swatch's)
    std::vector<QPointF> outline;  // mask coordinates
    std::vector<std::pair<QPointF, double>> drops;  // extra round droplets
};

const std::vector<Button>& buttons();
const std::vector<Frame>& frames();
const std::vector<Swatch>& swatches();
// Every control rectangle that lies on the skin.
std::vector<QRect> controlRects();

QPainterPath smoothClosed(const std::vector<QPointF>& pts);
QPainterPath paletteOutline();
QPainterPath thumbHole();
QPainterPath paletteShape();  // outline with the hole cut out
QPainterPath swatchPathLocal(const Swatch& sw);
QPainterPath swatchPathWindow(const Swatch& sw);

// skin.cpp
// 1x inside/outside decision for the window, row-major kWinW x kWinH.
const std::vector<bool>& insideMask();
QImage renderSkinBase(int s);  // surface, wells, sockets, plates, labels; no buttons yet
QImage renderSkinWithButtons(const QImage& base, int s, int pressedIndex);  // keyed
QImage renderSwatchMask(const Swatch& sw);
void applyKey(QImage& img, int s);

// glyphs.cpp
void drawStud(QPainter& p, const Button& b, bool pressed);

// extras.cpp
QImage renderIcon(int size);
QImage renderEyedropperCursor();
QImage renderMagnifierCursor();
QImage renderLensMask();
QImage renderLensRing(int s);

// preview.cpp
QImage renderPreview(const QString& assetsDir, int s);
// Icons, cursors, masks and lens enlarged on one sheet, for looking at.
QImage renderSheet(const QString& assetsDir);
QImage renderButtonSheet(const QString& assetsDir);

// checks.cpp: reads the written files back; returns the number of problems.
int checkAssets(const QString& assetsDir);

}  // namespace art
