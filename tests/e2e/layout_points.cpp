#include "layout_points.h"

#include <QRegion>

namespace e2e {

namespace {

// Controls inside the 400 x 300 area, as designed.
constexpr QRect kControls[] = {
    {31, 23, 77, 64},   {42, 99, 77, 76},   {30, 185, 72, 81},  {276, 36, 83, 68},
    {152, 77, 50, 47},  {162, 135, 54, 54}, {157, 194, 56, 52}, {274, 99, 82, 43},
    {119, 63, 34, 29},  {110, 85, 34, 32},  {128, 123, 36, 26}, {125, 151, 34, 24},
    {107, 188, 32, 36}, {120, 209, 38, 38}, {282, 174, 42, 36}, {244, 207, 44, 36},
    {310, 143, 36, 31}, {228, 36, 38, 32},  {210, 224, 33, 33}, {240, 67, 37, 29},
};

}  // namespace

std::optional<QPoint> background_point(const std::vector<QRect>& shape) {
    QRegion inside;
    for (const QRect& r : shape) {
        inside += r;
    }
    QRegion controls;
    for (const QRect& r : kControls) {
        controls += r.adjusted(-3, -3, 3, 3);
    }
    const QRegion usable = inside.intersected(QRect(0, 0, 400, 300)).subtracted(controls);
    // A 9 x 9 square around the point must be usable, so that a pixel of
    // rounding in the art or the pointer cannot land on an edge.
    for (int y = 4; y < 296; y += 2) {
        for (int x = 4; x < 396; x += 2) {
            const QRect square(x - 4, y - 4, 9, 9);
            if (QRegion(square).subtracted(usable).isEmpty()) {
                return QPoint(x, y);
            }
        }
    }
    return std::nullopt;
}

}  // namespace e2e
