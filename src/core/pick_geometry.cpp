// SPDX-License-Identifier: MIT
#include "core/pick_geometry.h"

#include <QtMath>
#include <algorithm>
#include <cmath>

namespace huepick {

namespace {

int floorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

namespace lens {

int deviceSize(double devicePixelRatio) {
    return qRound(kSize * devicePixelRatio);
}

QPoint deviceOrigin(QPoint mainDeviceTopLeft, double devicePixelRatio) {
    return mainDeviceTopLeft +
           QPoint(qRound(kOffset.x() * devicePixelRatio), qRound(kOffset.y() * devicePixelRatio));
}

QPoint originNear(QPoint click, int size, int gap, const QRect& bounds) {
    const auto along = [size, gap](int at, int first, int last) {
        int origin = at + gap;
        if (origin + size - 1 > last) {
            origin = at - gap - size + 1;
        }
        return std::clamp(origin, first, std::max(first, last - size + 1));
    };
    return {along(click.x(), bounds.left(), bounds.right()),
            along(click.y(), bounds.top(), bounds.bottom())};
}

int sourceIndex(int d, int size) {
    return floorDiv(d * kBlock, size);
}

QPoint blockOrigin(QPoint click) {
    return click - QPoint(kLead, kLead);
}

QPoint sourcePixel(QPoint click, QPoint lensPixel, int size) {
    return blockOrigin(click) +
           QPoint(sourceIndex(lensPixel.x(), size), sourceIndex(lensPixel.y(), size));
}

}  // namespace lens

LensDisc LensDisc::circle() {
    // Pixel centres lie at i + 0.5; the disc's centre is the square's centre.
    constexpr double kCentre = lens::kSize / 2.0;
    constexpr double kRadius = 74.0;
    std::array<Span, lens::kSize> rows{};
    for (int y = 0; y < lens::kSize; ++y) {
        const double dy = y + 0.5 - kCentre;
        if (std::abs(dy) >= kRadius) {
            continue;
        }
        const double half = std::sqrt(kRadius * kRadius - dy * dy);
        rows[y] = {static_cast<int>(std::ceil(kCentre - half - 0.5)),
                   static_cast<int>(std::floor(kCentre + half - 0.5))};
    }
    return LensDisc(rows);
}

bool LensDisc::contains(QPoint logical) const {
    if (logical.y() < 0 || logical.y() >= lens::kSize) {
        return false;
    }
    const Span& row = m_rows[logical.y()];
    return logical.x() >= row.first && logical.x() <= row.last;
}

bool LensDisc::containsDevice(QPoint device, int size) const {
    if (size <= 0 || device.x() < 0 || device.y() < 0 || device.x() >= size || device.y() >= size) {
        return false;
    }
    // Integer form of floor((d + 0.5) * kSize / size).
    const auto toLogical = [size](int d) { return (2 * d + 1) * lens::kSize / (2 * size); };
    return contains({toLogical(device.x()), toLogical(device.y())});
}

QPoint ScreenMapping::toDevice(QPoint logical) const {
    // QPoint * qreal rounds each coordinate, as Qt does for window positions.
    return origin + (logical - origin) * ratio;
}

QPoint ScreenMapping::toLogical(QPoint device) const {
    return origin + (device - origin) / ratio;
}

QRect ScreenMapping::logicalCovering(const QRect& device) const {
    const QPoint first = device.topLeft() - origin;
    const QPoint end = device.topLeft() + QPoint(device.width(), device.height()) - origin;
    const QPoint topLeft = origin + QPoint(qFloor(first.x() / ratio), qFloor(first.y() / ratio));
    const QPoint bottomRight = origin + QPoint(qCeil(end.x() / ratio), qCeil(end.y() / ratio));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

QRect ScreenMapping::deviceCovering(const QRect& logical) const {
    const QPoint first = logical.topLeft() - origin;
    const QPoint end = logical.topLeft() + QPoint(logical.width(), logical.height()) - origin;
    const QPoint topLeft = origin + QPoint(qFloor(first.x() * ratio), qFloor(first.y() * ratio));
    const QPoint bottomRight = origin + QPoint(qCeil(end.x() * ratio), qCeil(end.y() * ratio));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

int screenForGeometry(const std::vector<ScreenInfo>& screens, int current, const QRect& rect) {
    const QPoint centre = rect.center();
    if (current >= 0 && current < static_cast<int>(screens.size()) &&
        screens[current].logical.contains(centre)) {
        return current;
    }
    int fallback = current;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        if (screens[i].logical.contains(centre)) {
            return i;
        }
        if (screens[i].logical.intersects(rect)) {
            fallback = i;
        }
    }
    return fallback;
}

QRect coveringWindowGeometry(const std::vector<ScreenInfo>& screens, int current,
                             const QRect& device, int* chosen) {
    // Try the screen holding the top-left corner first, then the others.
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        const ScreenMapping m = screens[i].mapping();
        if (QRect(m.origin, m.deviceCovering(screens[i].logical).size())
                .contains(device.topLeft())) {
            order.insert(order.begin(), i);
        } else {
            order.push_back(i);
        }
    }
    for (int i : order) {
        const QRect logical = screens[i].mapping().logicalCovering(device);
        if (screenForGeometry(screens, current, logical) == i) {
            if (chosen != nullptr) {
                *chosen = i;
            }
            return logical;
        }
    }
    if (order.empty()) {
        if (chosen != nullptr) {
            *chosen = -1;
        }
        return device;
    }
    // No screen agrees with itself; the window's real position is followed
    // when painting, so a pixel or two off is all this costs.
    if (chosen != nullptr) {
        *chosen = order.front();
    }
    return screens[order.front()].mapping().logicalCovering(device);
}

QRect virtualDesktop(const std::vector<QRect>& screens) {
    QRect all;
    for (const QRect& screen : screens) {
        all = all.united(screen);
    }
    return all;
}

std::vector<int> screensToGrab(const std::vector<QRect>& screens) {
    std::vector<int> wanted;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        if (screens[i].isEmpty()) {
            continue;
        }
        bool covered = false;
        for (int j = 0; j < static_cast<int>(screens.size()) && !covered; ++j) {
            // Of two equal screens the first is kept.
            covered =
                j != i && screens[j].contains(screens[i]) && (screens[j] != screens[i] || j < i);
        }
        if (!covered) {
            wanted.push_back(i);
        }
    }
    return wanted;
}

std::optional<QPoint> imagePixel(QPoint device, const QRect& desktop) {
    if (!desktop.contains(device)) {
        return std::nullopt;
    }
    return device - desktop.topLeft();
}

}  // namespace huepick
