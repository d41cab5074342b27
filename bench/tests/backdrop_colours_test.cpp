// SPDX-License-Identifier: MIT
// The backdrop's colours carry the benchmark's readings: a picked colour
// names one cell, a ticker colour names one count, and neither is mistaken
// for the other or for the colours the benchmark waits for in a window.
#include <gtest/gtest.h>

#include <set>

#include "backdrop.h"

namespace bench {
namespace {

TEST(BackdropColours, EveryCellOfA4kScreenHasItsOwnColour) {
    std::set<QRgb> seen;
    for (int y = 0; y * Backdrop::kCell < 2160; ++y) {
        for (int x = 0; x * Backdrop::kCell < 3840; ++x) {
            const QRgb c = Backdrop::cellColour({x, y});
            EXPECT_TRUE(seen.insert(c).second) << "cell " << x << "," << y;
            EXPECT_EQ(c & 0xFF000000u, 0u) << "the screen has no alpha";
            EXPECT_TRUE(Backdrop::isCellColour(c));
            EXPECT_FALSE(Backdrop::countOf(c)) << "cell " << x << "," << y;
        }
    }
}

TEST(BackdropColours, TheColoursWindowsAreKnownByAreNoCellsAndNoCounts) {
    for (QRgb marker : {0x102030u, 0x20C040u}) {
        EXPECT_FALSE(Backdrop::isCellColour(marker));
        EXPECT_FALSE(Backdrop::countOf(marker));
    }
    Backdrop nowhere(QStringLiteral(":no-such-display"));
    EXPECT_FALSE(nowhere.ok());
}

}  // namespace
}  // namespace bench
