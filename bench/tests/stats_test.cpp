// SPDX-License-Identifier: MIT
// The figures the benchmark prints: medians and nearest-rank 90th
// percentiles that leave out runs which saw nothing, and paired ratios that
// drop broken pairs instead of shifting the pairing.
#include <gtest/gtest.h>

#include <cmath>

#include "stats.h"

namespace bench {
namespace {

TEST(Summaries, MedianAndP90LeaveOutRunsThatSawNothing) {
    EXPECT_EQ(median({3, 1, 2}), 2);
    EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(median({NAN, 5, 1, NAN}), 3);
    EXPECT_TRUE(std::isnan(median({})));
    EXPECT_TRUE(std::isnan(median({NAN})));

    const Summary s = summarise({5, NAN, 1, 4, 2, 3});
    EXPECT_EQ(s.runs, 5);
    EXPECT_EQ(s.median, 3);
    EXPECT_EQ(s.max, 5);

    const Summary none = summarise({NAN});
    EXPECT_EQ(none.runs, 0);
    EXPECT_TRUE(std::isnan(none.median));
    EXPECT_TRUE(std::isnan(none.p90));
}

TEST(Summaries, P90IsTheNearestRankAtOrAboveNinetyPercent) {
    std::vector<double> ten;
    std::vector<double> twenty;
    for (int i = 1; i <= 20; ++i) {
        (i <= 10 ? ten : twenty).push_back(i);
    }
    twenty.insert(twenty.end(), ten.begin(), ten.end());
    EXPECT_EQ(summarise(ten).p90, 9);
    EXPECT_EQ(summarise(twenty).p90, 18);
    EXPECT_EQ(summarise({7}).p90, 7);
    EXPECT_EQ(summarise({1, 2, 3}).p90, 3);
}

TEST(Summaries, PairedRatiosKeepThePairingAndDropBrokenPairs) {
    // The third and fourth pairs are broken; the fifth run has no partner.
    EXPECT_EQ(medianRatio({2, 4, NAN, 9, 8}, {1, 1, 5, 0}), 3);
    EXPECT_TRUE(std::isnan(medianRatio({1}, {NAN})));
}

TEST(Summaries, DifferencesAreSignedAndMissingFiguresShowAsDashes) {
    Summary mine = summarise({12.5});
    const Summary floor = summarise({10});
    EXPECT_EQ(difference(mine, floor), QStringLiteral("+2.5 ms"));
    EXPECT_EQ(difference(floor, mine), QStringLiteral("-2.5 ms"));
    mine = summarise({});
    EXPECT_EQ(difference(mine, floor), QStringLiteral("-"));
    EXPECT_EQ(number(NAN, QStringLiteral("ms")), QStringLiteral("-"));
    EXPECT_EQ(number(33.004, QStringLiteral("MiB"), 2), QStringLiteral("33.00 MiB"));
}

}  // namespace
}  // namespace bench
