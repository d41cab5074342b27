// SPDX-License-Identifier: MIT
// What the benchmark lays under everything on an X desktop: a desktop-type
// window of coloured cells, each colour telling its cell, and a small
// "ticker" square whose colour the benchmark changes while it waits. A copy
// of the screen shows the ticker as it was when the copy was taken, so the
// picking window showing its frozen copy can be told from the live screen
// under it. It also tells which windows were made since it was last asked,
// cheaper to poll than a search of the window tree.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace bench {

class Backdrop {
public:
    static constexpr int kCell = 64;

    explicit Backdrop(const QString& display);
    ~Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    bool ok() const { return m_window != 0; }
    QSize size() const { return m_size; }

    // Colours no cell has (their red is under 40): for windows whose painting
    // the benchmark waits for.
    static bool isCellColour(QRgb colour) { return qRed(colour) >= 40; }
    // A cell's colour, distinct for every cell of a 3840 x 2160 screen; as
    // the screen has it, without alpha.
    static QRgb cellColour(QPoint cell);
    static QRect cellRect(QPoint cell) { return {cell * kCell, QSize(kCell, kCell)}; }
    int columns() const { return m_size.width() / kCell; }
    int rows() const { return m_size.height() / kCell; }

    // The ticker square, in the bottom-right corner.
    QRect ticker() const;
    // Paints the ticker with a colour naming `count` and waits until the
    // server has done so.
    void tick(int count);
    // The count a colour names, or nullopt for any other colour.
    static std::optional<int> countOf(QRgb colour);

    // Children of the root made since the last call; no round trip.
    std::vector<std::uint32_t> createdWindows();

private:
    void fill(const QRect& r, QRgb colour);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_window = 0;
    std::uint32_t m_gc = 0;
    QSize m_size;
};

}  // namespace bench
