// SPDX-License-Identifier: MIT
#include "raster.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace art {

float Field::clamped(int x, int y) const {
    return at(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
}

void Field::add(const Field& other, float k) {
    for (size_t i = 0; i < v.size(); ++i) {
        v[i] += other.v[i] * k;
    }
}

Field coverage(QSize device, double s, const std::function<void(QPainter&)>& draw) {
    QImage img(device, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        draw(p);
    }
    Field f(device.width(), device.height());
    for (int y = 0; y < f.h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < f.w; ++x) {
            f.at(x, y) = static_cast<float>(qAlpha(line[x])) / 255.f;
        }
    }
    return f;
}

Field pathCoverage(QSize device, double s, const QPainterPath& path, double grow) {
    return coverage(device, s, [&](QPainter& p) {
        p.fillPath(path, Qt::white);
        if (grow > 0.0) {
            p.strokePath(path,
                         QPen(Qt::white, 2.0 * grow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
    });
}

void gaussianBlur(Field& f, float sigma) {
    if (sigma <= 0.f || f.v.empty()) {
        return;
    }
    const int r = static_cast<int>(std::ceil(sigma * 3.f));
    std::vector<float> k(static_cast<size_t>(2 * r + 1));
    float sum = 0.f;
    for (int i = -r; i <= r; ++i) {
        const float g = std::exp(-0.5f * static_cast<float>(i * i) / (sigma * sigma));
        k[static_cast<size_t>(i + r)] = g;
        sum += g;
    }
    for (float& g : k) {
        g /= sum;
    }
    Field tmp(f.w, f.h);
    for (int y = 0; y < f.h; ++y) {
        for (int x = 0; x < f.w; ++x) {
            float acc = 0.f;
            for (int i = -r; i <= r; ++i) {
                acc += k[static_cast<size_t>(i + r)] * f.clamped(x + i, y);
            }
            tmp.at(x, y) = acc;
        }
    }
    for (int y = 0; y < f.h; ++y) {
        for (int x = 0; x < f.w; ++x) {
            float acc = 0.f;
            for (int i = -r; i <= r; ++i) {
                acc += k[static_cast<size_t>(i + r)] * tmp.clamped(x, y + i);
            }
            f.at(x, y) = acc;
        }
    }
}

Field blurred(Field f, float sigma) {
    gaussianBlur(f, sigma);
    return f;
}

namespace {
uint32_t mix32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}
}  // namespace

float hashNoise(int x, int y, uint32_t seed) {
    const uint32_t h = mix32(static_cast<uint32_t>(x) * 0x9E3779B1u ^
                             mix32(static_cast<uint32_t>(y) + seed * 0x85EBCA77u));
    return static_cast<float>(h) / 4294967295.f * 2.f - 1.f;
}

float valueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double a = hashNoise(ix, iy, seed);
    const double b = hashNoise(ix + 1, iy, seed);
    const double c = hashNoise(ix, iy + 1, seed);
    const double d = hashNoise(ix + 1, iy + 1, seed);
    return static_cast<float>((a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty);
}

void addToRgb(QImage& img, int x, int y, float amount) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    const QRgb c = line[x];
    const int a = qAlpha(c);
    auto ch = [&](int v) { return std::clamp(static_cast<int>(std::lround(v + amount)), 0, a); };
    line[x] = qRgba(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)), a);
}

void applyLighting(QImage& img, const Field& height, const Field& weight, double s,
                   const Lighting& l) {
    const double ll = std::sqrt(l.lx * l.lx + l.ly * l.ly + l.lz * l.lz);
    const double lightX = l.lx / ll, lightY = l.ly / ll, lightZ = l.lz / ll;
    // Half vector for a viewer straight above.
    const double hl =
        std::sqrt(lightX * lightX + lightY * lightY + (lightZ + 1.0) * (lightZ + 1.0));
    const double halfX = lightX / hl, halfY = lightY / hl, halfZ = (lightZ + 1.0) / hl;
    const double flatShine = std::pow(halfZ, l.shininess);

    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const float w = weight.at(x, y);
            if (w <= 0.f) {
                continue;
            }
            const double gx = (height.clamped(x + 1, y) - height.clamped(x - 1, y)) * 0.5 * s;
            const double gy = (height.clamped(x, y + 1) - height.clamped(x, y - 1)) * 0.5 * s;
            const double nl = std::sqrt(gx * gx + gy * gy + 1.0);
            const double nx = -gx / nl, ny = -gy / nl, nz = 1.0 / nl;
            const double diff = (nx * lightX + ny * lightY + nz * lightZ) - lightZ;
            const double shine = std::max(
                0.0, std::pow(std::max(0.0, nx * halfX + ny * halfY + nz * halfZ), l.shininess) -
                         flatShine);

            const QRgb c = line[x];
            auto lit = [&](int v) {
                double o = v;
                if (diff > 0) {
                    o += (255.0 - o) * std::min(1.0, diff * l.lift);
                } else {
                    o *= std::max(0.0, 1.0 + diff * l.shade);
                }
                o += 255.0 * l.gloss * shine;
                o = v + (o - v) * w;
                return std::clamp(static_cast<int>(std::lround(o)), 0, 255);
            };
            line[x] = qRgba(lit(qRed(c)), lit(qGreen(c)), lit(qBlue(c)), 255);
        }
    }
}

}  // namespace art
