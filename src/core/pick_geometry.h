// SPDX-License-Identifier: MIT
// Where a pick lands: the lens's mapping from its pixels back to the frozen
// screen, the lens disc, and the mapping between Qt's logical coordinates and
// the device pixels of the virtual desktop. No widgets here, so every rule can
// be checked without a display.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <optional>
#include <vector>

namespace huepick {

// ---------------------------------------------------------------- the lens

namespace lens {

// On-screen size of the lens in logical pixels at every scale.
inline constexpr int kSize = 150;
// The lens shows kBlock x kBlock device pixels of the capture...
inline constexpr int kBlock = 20;
// ...starting this many pixels left of and above the clicked one, so the block
// is deliberately not centred on the click.
inline constexpr int kLead = 2;
// 2400 x 970 twips right of and below the main window's top-left.
inline constexpr QPoint kOffset{160, 65};

// The lens's size in device pixels: its logical size times the ratio, rounded.
int deviceSize(double devicePixelRatio);

// The lens's top-left in device pixels, from the main window's device top-left.
QPoint deviceOrigin(QPoint mainDeviceTopLeft, double devicePixelRatio);

// Where the main window's place is unknown (a Wayland client cannot learn
// it): how far from the clicked pixel the lens's near corner lies, logical.
inline constexpr int kGap = 24;

// The lens's top-left in device pixels for a lens `size` across, `gap` right
// of and below the click, or left of or above it where it would otherwise
// leave `bounds` (the screen it is shown on).
QPoint originNear(QPoint click, int size, int gap, const QRect& bounds);

// Index within the block shown by lens pixel `d` of a lens `size` device
// pixels across: floor(d * kBlock / size), as a nearest-neighbour stretch does.
int sourceIndex(int d, int size);

// Top-left of the block shown for a click on capture pixel `click`.
QPoint blockOrigin(QPoint click);

// The capture pixel shown by lens pixel `lensPixel` when the lens was drawn
// for a click on `click`.
QPoint sourcePixel(QPoint click, QPoint lensPixel, int size);

}  // namespace lens

// The lens disc as one run of columns per logical row of the kSize x kSize
// square. The disc is what is left of the lens; the corners belong to the
// capture.
class LensDisc {
public:
    struct Span {
        int first = 0;  // first column inside, or first > last for an empty row
        int last = -1;
    };

    // Diameter 148 centred in the square, as the lens mask is drawn.
    static LensDisc circle();
    explicit LensDisc(const std::array<Span, lens::kSize>& rows) : m_rows(rows) {}

    bool contains(QPoint logical) const;
    // The lens pixel `device` of a lens `size` device pixels across, judged at
    // the centre of the pixel.
    bool containsDevice(QPoint device, int size) const;
    const std::array<Span, lens::kSize>& rows() const { return m_rows; }

private:
    std::array<Span, lens::kSize> m_rows;
};

// ---------------------------------------------------------------- the desktop

// Qt keeps each screen's top-left where the X server has it and scales the
// distances from there, so that is the fixed point of every mapping below.
struct ScreenMapping {
    QPoint origin;  // the screen's top-left, the same in logical and device pixels
    double ratio = 1.0;

    QPoint toDevice(QPoint logical) const;
    // The logical point whose device mapping lies nearest to `device`.
    QPoint toLogical(QPoint device) const;
    // The smallest logical rectangle whose device mapping covers `device`.
    QRect logicalCovering(const QRect& device) const;
    // The smallest device rectangle covering the mapping of `logical`.
    QRect deviceCovering(const QRect& logical) const;
};

// A screen as Qt describes it: its logical geometry and its ratio.
struct ScreenInfo {
    QRect logical;
    double ratio = 1.0;
    ScreenMapping mapping() const { return {logical.topLeft(), ratio}; }
};

// The screen Qt 6 assigns a top-level window to when it takes the logical
// geometry `rect`, coming from screen `current`: the current one if it holds
// the rectangle's centre, else the first that does, else the last one the
// rectangle overlaps; `current` when it overlaps none.
int screenForGeometry(const std::vector<ScreenInfo>& screens, int current, const QRect& rect);

// A logical geometry for a top-level window covering `device` that maps to
// device pixels through the very screen Qt will assign it to (a window over
// several monitors could otherwise be mapped through the wrong one and land
// hundreds of pixels off). `chosen` receives that screen; -1 for no screens.
QRect coveringWindowGeometry(const std::vector<ScreenInfo>& screens, int current,
                             const QRect& device, int* chosen = nullptr);

// Smallest rectangle holding every screen, in device pixels. May start at
// negative coordinates; empty for no screens.
QRect virtualDesktop(const std::vector<QRect>& screens);

// The screens worth grabbing: a screen lying wholly inside another adds no
// pixels (X servers report such mirrors, and a monitor covering the root).
std::vector<int> screensToGrab(const std::vector<QRect>& screens);

// The pixel of an image of the virtual desktop `desktop` at device position
// `device`, or nothing when that lies outside the image.
std::optional<QPoint> imagePixel(QPoint device, const QRect& desktop);

}  // namespace huepick
