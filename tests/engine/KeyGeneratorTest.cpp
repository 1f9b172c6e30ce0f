#include "KeyGenerator.h"

#include "Fakes.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

using namespace velt;
using velt::test::ScriptedClock;
using velt::test::ScriptedRandom;

namespace {

struct Generator {
    KeyMaterial key;
    ScriptedClock clock;
    ScriptedRandom random;
    KeyGenerator gen{key, clock, random};

    std::array<int, 16> Row(int i) {
        std::array<int, 16> row{};
        for (int j = 1; j <= 16; ++j) {
            row[static_cast<std::size_t>(j - 1)] = gen.Cell(i, j);
        }
        return row;
    }
    bool IsPermutation() {
        std::array<int, 256> seen{};
        for (int i = 1; i <= 16; ++i) {
            for (int j = 1; j <= 16; ++j) {
                ++seen[gen.Cell(i, j)];
            }
        }
        return std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; });
    }
};

} // namespace

TEST(KeyGenerator_GridOperations, MatchWorkedValues) {
    Generator g;
    g.gen.ResetWorkingGrid();
    EXPECT_EQ(g.gen.Cell(1, 1), 0);
    EXPECT_EQ(g.gen.Cell(1, 16), 15);
    EXPECT_EQ(g.gen.Cell(2, 1), 16);
    EXPECT_EQ(g.gen.Cell(16, 16), 255);

    g.gen.FixedShuffle();
    EXPECT_EQ(g.Row(1), (std::array<int, 16>{136, 137, 138, 139, 131, 130, 129, 128, 135, 134, 133, 132, 140,
                                             141, 142, 143}));
    // Every cell follows the net permutation P of rows and columns.
    const int P[17] = {0, 9, 10, 11, 12, 4, 3, 2, 1, 8, 7, 6, 5, 13, 14, 15, 16};
    for (int r = 1; r <= 16; ++r) {
        for (int c = 1; c <= 16; ++c) {
            ASSERT_EQ(g.gen.Cell(r, c), (P[r] - 1) * 16 + (P[c] - 1)) << r << "," << c;
        }
    }
    g.gen.FixedShuffle();
    EXPECT_NE(g.Row(1)[0], 0) << "twice is not the identity";
    EXPECT_EQ(g.gen.Cell(16, 16), 255);

    g.gen.ResetWorkingGrid();
    g.gen.ExchangeRowsReversed(16, 1);
    EXPECT_EQ(g.Row(16), (std::array<int, 16>{15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(g.Row(1), (std::array<int, 16>{255, 254, 253, 252, 251, 250, 249, 248, 247, 246, 245, 244, 243,
                                             242, 241, 240}));
    EXPECT_EQ(g.Row(2)[0], 16) << "other rows stay";

    g.gen.ResetWorkingGrid();
    g.gen.ExchangeColumnsReversed(3, 5);
    for (int j = 1; j <= 16; ++j) {
        EXPECT_EQ(g.gen.Cell(j, 3), (16 - j) * 16 + 4); // old column 5, bottom to top
        EXPECT_EQ(g.gen.Cell(17 - j, 5), (j - 1) * 16 + 2);
    }
}

TEST(KeyGenerator_ShortText, WritesSevenDigitsWithoutLeadingZero) {
    EXPECT_EQ(ShortText(0.25f), " .25");
    EXPECT_EQ(ShortText(0.5f), " .5");
    EXPECT_EQ(ShortText(0.1234567f), " .1234567");
    EXPECT_EQ(ShortText(0.99999994f), " .9999999");
    EXPECT_EQ(ShortText(0.0f), " 0");
    EXPECT_EQ(ShortText(0.0125f), " .0125");
    EXPECT_EQ(ShortText(0.0000123456789f), " .00001234568");
    // The fast path agrees with the library's seven-significant-digit formatting.
    std::mt19937 engine(7);
    for (int n = 0; n < 200000; ++n) {
        const float x = 0.1f + std::uniform_real_distribution<float>(0.0f, 0.9f)(engine);
        if (x >= 1.0f) {
            continue;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(x));
        ASSERT_EQ(ShortText(x), std::string(" ") + (buffer + 1)) << x;
    }
    EXPECT_EQ(DigitAtPlace(0.25f, 3), 2);
    EXPECT_EQ(DigitAtPlace(0.25f, 4), 5);
    EXPECT_EQ(DigitAtPlace(0.25f, 1), 0) << "the blank";
    EXPECT_EQ(DigitAtPlace(0.25f, 2), 0) << "the point";
    EXPECT_EQ(DigitAtPlace(0.25f, 5), 0) << "beyond the text";
}

TEST(KeyGenerator_DrawExchangePair, ReadsPlacesAfterClockDigit) {
    Generator g;
    // Nine-character numbers with clock digits 7 to 9: both places lie beyond the text.
    for (int second : {7, 18, 59}) {
        g.clock.second = second;
        g.random.script = {0.1234567f, 0.7654321f};
        EXPECT_EQ(g.gen.DrawExchangePair(3, 4), (ExchangePair{16, 1})) << second;
    }
    g.clock.second = 40; // digit 0: places 3 and 4
    g.random.script = {0.25f, 0.375f};
    EXPECT_EQ(g.gen.DrawExchangePair(3, 4), (ExchangePair{14, 8}));
    g.random.script = {0.25f, 0.375f};
    EXPECT_EQ(g.gen.DrawExchangePair(4, 3), (ExchangePair{11, 4}));
    g.random.script = {0.7f, 0.58f}; // a = b = 9 are pulled apart
    EXPECT_EQ(g.gen.DrawExchangePair(3, 4), (ExchangePair{8, 10}));
}

TEST(KeyGenerator_ScrambleGrid, StaysAPermutationAndDrawsFourPerPass) {
    Generator g;
    g.gen.ResetWorkingGrid();
    g.gen.ScrambleGrid();
    EXPECT_EQ(g.random.draws, 60);
    EXPECT_EQ(g.clock.nowReads, 30);
    for (int n = 0; n < 2000; ++n) {
        g.clock.second = n % 60;
        g.gen.ScrambleGrid();
        ASSERT_TRUE(g.IsPermutation()) << "after scramble " << n;
    }
}
