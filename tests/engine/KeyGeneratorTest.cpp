#include "KeyGenerator.h"

#include "Fakes.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>

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
};

} // namespace

TEST(KeyGenerator_GridOperations, MatchWorkedValues) {
    Generator g;
    g.gen.ResetWorkingGrid();
    EXPECT_EQ(g.Row(1), (std::array<int, 16>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(g.gen.Cell(2, 1), 16);
    EXPECT_EQ(g.gen.Cell(16, 16), 255);

    g.gen.FixedShuffle();
    EXPECT_EQ(g.Row(1), (std::array<int, 16>{136, 137, 138, 139, 131, 130, 129, 128, 135, 134, 133, 132, 140,
                                             141, 142, 143}));
    const int P[17] = {0, 9, 10, 11, 12, 4, 3, 2, 1, 8, 7, 6, 5, 13, 14, 15, 16};
    for (int r = 1; r <= 16; ++r) {
        for (int c = 1; c <= 16; ++c) {
            ASSERT_EQ(g.gen.Cell(r, c), (P[r] - 1) * 16 + (P[c] - 1)) << r << "," << c;
        }
    }
    g.gen.FixedShuffle();
    EXPECT_EQ(g.gen.Cell(1, 1), 7 * 16 + 7) << "twice is P(P), not the identity";
    EXPECT_EQ(g.gen.Cell(16, 16), 255);

    g.gen.ResetWorkingGrid();
    g.gen.ExchangeRowsReversed(16, 1);
    for (int j = 1; j <= 16; ++j) {
        EXPECT_EQ(g.gen.Cell(16, j), 16 - j); // 15, 14, ..., 0
        EXPECT_EQ(g.gen.Cell(1, j), 256 - j); // 255, 254, ..., 240
    }
    EXPECT_EQ(g.Row(2)[0], 16) << "other rows stay";

    g.gen.ResetWorkingGrid();
    g.gen.ExchangeColumnsReversed(3, 5);
    for (int j = 1; j <= 16; ++j) {
        EXPECT_EQ(g.gen.Cell(j, 3), (16 - j) * 16 + 4); // old column 5, bottom to top
        EXPECT_EQ(g.gen.Cell(17 - j, 5), (j - 1) * 16 + 2);
    }
}

TEST(KeyGenerator_ShortText, SevenDigitsWithoutLeadingZero) {
    EXPECT_EQ(ShortText(0.25f), " .25");
    EXPECT_EQ(ShortText(0.1234567f), " .1234567");
    EXPECT_EQ(ShortText(0.99999994f), " .9999999");
    EXPECT_EQ(ShortText(0.0f), " 0");
    EXPECT_EQ(ShortText(0.0125f), " .0125");
    EXPECT_EQ(ShortText(0.0000123456789f), " .00001234568");
    // The fast path agrees with the library's seven-significant-digit formatting.
    ScriptedRandom random;
    for (int n = 0; n < 200000; ++n) {
        const float x = random.Draw();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(x));
        if (x >= 0.1f) {
            ASSERT_EQ(ShortText(x), std::string(" ") + (buffer + 1)) << x;
        }
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
    g.random.script = {0.25f, 0.375f, 0.25f, 0.375f, 0.7f, 0.58f};
    EXPECT_EQ(g.gen.DrawExchangePair(3, 4), (ExchangePair{14, 8}));
    EXPECT_EQ(g.gen.DrawExchangePair(4, 3), (ExchangePair{11, 4}));
    EXPECT_EQ(g.gen.DrawExchangePair(3, 4), (ExchangePair{8, 10})) << "a = b = 9 pulled apart";
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
        std::array<int, 256> seen{};
        for (int k = 0; k < 256; ++k) {
            ++seen[g.gen.Cell(k / 16 + 1, k % 16 + 1)];
        }
        ASSERT_EQ(std::count(seen.begin(), seen.end(), 1), 256) << "after scramble " << n;
    }
}
