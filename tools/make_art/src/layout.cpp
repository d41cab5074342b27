// SPDX-License-Identifier: MIT
#include <QTransform>

#include "art.h"

namespace art {

namespace {
QString art(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
}  // namespace

Button::Button(Role role, QPointF centre, double radius, Glyph glyph, QColor tint)
    : released(art(huepick::layout::control(role).art)),
      pressed(art(huepick::layout::control(role).pressedArt)),
      rect(huepick::layout::windowRect(role)),
      centre(centre),
      radius(radius),
      glyph(glyph),
      tint(tint) {}

Frame::Frame(Role frame, Role field, QString label, QColor tint)
    : name(art(huepick::layout::control(frame).art)),
      rect(huepick::layout::windowRect(frame)),
      field(huepick::layout::windowRect(field)),
      label(std::move(label)),
      tint(tint) {}

Swatch::Swatch(Role role, QSize maskSize, std::vector<QPointF> outline,
               std::vector<std::pair<QPointF, double>> drops)
    : maskName(art(huepick::layout::control(role).art)),
      rect(huepick::layout::windowRect(role)),
      maskSize(maskSize),
      outline(std::move(outline)),
      drops(std::move(drops)) {}

QColor redTint() {
    return QColor(255, 94, 82);
}
QColor greenTint() {
    return QColor(72, 214, 112);
}
QColor blueTint() {
    return QColor(84, 152, 255);
}
QColor orangeTint() {
    return QColor(255, 150, 52);
}
QColor glyphLight() {
    return QColor(233, 236, 241);
}

const std::vector<Button>& buttons() {
    // Faces stay out of the neighbouring pictures where two rectangles overlap,
    // so either picture can be drawn on top without cutting the other's face.
    static const std::vector<Button> kList = {
        {Role::RedUp, {138, 74.5}, 10, Glyph::Up, redTint()},
        {Role::RedDown, {126, 104}, 10, Glyph::Down, redTint()},
        {Role::GreenUp, {146, 135.5}, 10, Glyph::Up, greenTint()},
        {Role::GreenDown, {142, 163}, 10, Glyph::Down, greenTint()},
        {Role::BlueUp, {122, 198.5}, 10, Glyph::Up, blueTint()},
        {Role::BlueDown, {140, 235}, 10, Glyph::Down, blueTint()},
        {Role::SampleButton, {302.5, 191.5}, 15, Glyph::Dropper, glyphLight()},
        {Role::MagnifyButton, {265.5, 224.5}, 15, Glyph::Magnifier, glyphLight()},
        {Role::CloseButton, {327.5, 158}, 12.5, Glyph::Close, QColor(255, 112, 96)},
        {Role::ExportButton, {246.5, 51.5}, 13, Glyph::Export, glyphLight()},
        {Role::HelpButton, {227, 240}, 13, Glyph::Help, glyphLight()},
        {Role::LogButton, {258, 81}, 12, Glyph::Log, glyphLight()},
    };
    return kList;
}

const std::vector<Frame>& frames() {
    static const std::vector<Frame> kList = {
        {Role::RedFrame, Role::RedField, "R", redTint()},
        {Role::GreenFrame, Role::GreenField, "G", greenTint()},
        {Role::BlueFrame, Role::BlueField, "B", blueTint()},
        {Role::HexFrame, Role::HexField, "", orangeTint()},
    };
    return kList;
}

const std::vector<Swatch>& swatches() {
    static const std::vector<Swatch> kList = {
        // Red: a broad dab with a dent on top, as if pressed out of a tube.
        {Role::RedSwatch,
         {72, 65},
         {{5, 31},
          {10, 14},
          {25, 5},
          {40, 9},
          {53, 4},
          {66, 12},
          {68, 30},
          {63, 45},
          {64, 56},
          {50, 61},
          {31, 58},
          {14, 56}},
         {}},
        // Green: a drop running towards the upper left.
        {Role::GreenSwatch,
         {71, 77},
         {{5, 5},
          {23, 11},
          {44, 18},
          {60, 29},
          {67, 47},
          {61, 64},
          {45, 72},
          {26, 71},
          {12, 61},
          {6, 44},
          {6, 23}},
         {}},
        // Blue: a kidney-shaped dollop, pinched on the left.
        {Role::BlueSwatch,
         {72, 79},
         {{7, 21},
          {21, 6},
          {41, 4},
          {59, 13},
          {67, 33},
          {64, 55},
          {50, 71},
          {30, 75},
          {13, 68},
          {5, 54},
          {11, 42},
          {5, 32}},
         {}},
        // The whole colour: the biggest, a calm flattened pebble.
        {Role::ColourSwatch,
         {83, 66},
         {{5, 31},
          {11, 13},
          {29, 5},
          {54, 5},
          {73, 11},
          {80, 27},
          {76, 44},
          {60, 55},
          {35, 57},
          {14, 51}},
         {}},
    };
    return kList;
}

std::vector<QRect> controlRects() {
    std::vector<QRect> r;
    for (const auto& b : buttons()) r.push_back(b.rect);
    for (const auto& f : frames()) r.push_back(f.rect);
    for (const auto& sw : swatches()) r.push_back(sw.rect);
    return r;
}

QPainterPath smoothClosed(const std::vector<QPointF>& pts) {
    // Closed Catmull-Rom spline through every point, as cubic Beziers.
    QPainterPath path;
    const size_t n = pts.size();
    path.moveTo(pts[0]);
    for (size_t i = 0; i < n; ++i) {
        const QPointF& p0 = pts[(i + n - 1) % n];
        const QPointF& p1 = pts[i];
        const QPointF& p2 = pts[(i + 1) % n];
        const QPointF& p3 = pts[(i + 2) % n];
        path.cubicTo(p1 + (p2 - p0) / 6.0, p2 - (p3 - p1) / 6.0, p2);
    }
    path.closeSubpath();
    return path;
}

QPainterPath paletteOutline() {
    static const std::vector<QPointF> kPts = {
        {17, 24},   {46, 7},    {120, 6},   {196, 11},  {268, 7},   {334, 8},
        {370, 19},  {386, 54},  {385, 112}, {371, 157}, {354, 192}, {333, 220},
        {320, 244}, {302, 266}, {266, 280}, {200, 286}, {130, 288}, {64, 286},
        {26, 277},  {10, 238},  {15, 190},  {25, 143},  {14, 98},   {10, 52},
    };
    return smoothClosed(kPts);
}

QPainterPath thumbHole() {
    QPainterPath e;
    e.addEllipse(QPointF(0, 0), 20.5, 15.5);
    QTransform t;
    t.translate(249, 174);
    t.rotate(-32);
    return t.map(e);
}

QPainterPath paletteShape() {
    QPainterPath p = paletteOutline();
    p.addPath(thumbHole());
    p.setFillRule(Qt::OddEvenFill);
    return p;
}

QPainterPath swatchPathLocal(const Swatch& sw) {
    QPainterPath p = smoothClosed(sw.outline);
    for (const auto& [c, r] : sw.drops) {
        p.addEllipse(c, r, r);
    }
    p.setFillRule(Qt::WindingFill);
    return p;
}

QPainterPath swatchPathWindow(const Swatch& sw) {
    return swatchPathLocal(sw).translated(sw.rect.topLeft());
}

}  // namespace art
