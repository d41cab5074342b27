// SPDX-License-Identifier: MIT
// Small raster toolkit: float fields (coverage, height), Gaussian blur,
// deterministic noise and a height-field lighting pass. Everything takes the
// output scale s so the 1x and 2x renderings share one design in 1x units.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QSize>

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

struct Field {
    int w = 0;
    int h = 0;
    std::vector<float> v;

    Field() = default;
    Field(int width, int height, float fill = 0.f)
        : w(width), h(height), v(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

    float& at(int x, int y) {
        return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    }
    float at(int x, int y) const {
        return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    }
    float clamped(int x, int y) const;
    void add(const Field& other, float k);
};

// Coverage (0..1) of whatever `draw` fills in white; the painter is already
// scaled to 1x units and antialiased.
Field coverage(QSize device, double s, const std::function<void(QPainter&)>& draw);
// Coverage of a path, optionally grown outwards by `grow` 1x pixels.
Field pathCoverage(QSize device, double s, const QPainterPath& path, double grow = 0.0);
void gaussianBlur(Field& f, float sigma);
Field blurred(Field f, float sigma);

// Deterministic noise: white noise in [-1, 1] per integer cell, and smooth
// value noise in [-1, 1] over continuous coordinates.
float hashNoise(int x, int y, uint32_t seed);
float valueNoise(double x, double y, uint32_t seed);

struct Lighting {
    // Light comes from the upper left, a little above the surface.
    double lx = -0.55, ly = -0.8, lz = 1.0;
    double lift = 0.55;   // how far lit slopes move towards white
    double shade = 1.7;   // how strongly slopes facing away darken
    double gloss = 0.35;  // strength of the shiny highlight
    double shininess = 30.0;
};

// Lights `img` (opaque, premultiplied ARGB) by the slopes of `height`
// (in 1x pixels), blended in by `weight` (0..1).
void applyLighting(QImage& img, const Field& height, const Field& weight, double s,
                   const Lighting& l);

// Adds `amount` (in 8-bit steps, may be negative) to RGB, scaled by weight.
void addToRgb(QImage& img, int x, int y, float amount);

}  // namespace art
