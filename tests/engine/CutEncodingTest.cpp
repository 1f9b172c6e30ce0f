#include "engine/Cipher.h"
#include "engine/RandomSource.h"
#include "engine/SystemServices.h"
#include "engine/Workers.h"
#include "tests/engine/Fakes.h"

#include <array>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <tuple>

using namespace velt;
using namespace velt::test;

namespace {

/// The encoder between two codes: drawn (= last output) and previously drawn row and column.
using Between = std::tuple<int, int, int, int>;

/// The states in which the encoder's rules, fed some draws, can emit the substitute row `row`
/// and column `column` for plain row r and column q from one of `before`; none when no draws can.
/// Worked out from the rules alone: a draw gives any value but the previous one (high or low
/// is a matter of mapping only), a value on the plain row or column is mirrored, and a pair that
/// meets the last output row or column goes round again.
std::set<Between> Emit(const std::set<Between>& before, int r, int q, int row, int column) {
    // One axis of one round: the values after the mirror and as drawn.
    struct Step {
        int count = 0;
        std::array<std::pair<int, int>, 16> outcomes;
    };
    const auto step = [](int drawn, int previous, int plain) {
        Step s;
        for (int v = 1; v <= 16; ++v) {
            if (drawn == previous ? v != previous : v == drawn) {
                s.outcomes[static_cast<std::size_t>(s.count++)] = {v == plain ? 17 - v : v, v};
            }
        }
        return s;
    };
    const auto index = [](int a, int b, int c, int d) { return static_cast<std::size_t>(((a * 17 + b) * 17 + c) * 17 + d); };
    std::set<Between> after;
    std::vector<bool> seen(17 * 17 * 17 * 17);
    for (const auto& [lastRow, previousRow, lastColumn, previousColumn] : before) {
        std::fill(seen.begin(), seen.end(), false);
        std::vector<Between> rounds{{lastRow, previousRow, lastColumn, previousColumn}};
        while (!rounds.empty()) {
            const auto [dr, pr, dc, pc] = rounds.back();
            rounds.pop_back();
            const Step rows = step(dr, pr, r), columns = step(dc, pc, q);
            for (int i = 0; i < rows.count; ++i) {
                const auto [rowOut, rowDrawn] = rows.outcomes[static_cast<std::size_t>(i)];
                for (int j = 0; j < columns.count; ++j) {
                    const auto [columnOut, columnDrawn] = columns.outcomes[static_cast<std::size_t>(j)];
                    if (rowOut == lastRow || columnOut == lastColumn) {
                        const std::size_t at = index(rowOut, rowDrawn, columnOut, columnDrawn);
                        if (!seen[at]) {
                            seen[at] = true;
                            rounds.emplace_back(rowOut, rowDrawn, columnOut, columnDrawn);
                        }
                    } else if (rowOut == row && columnOut == column) {
                        after.emplace(rowOut, rowDrawn, columnOut, columnDrawn);
                    }
                }
            }
        }
    }
    return after;
}

} // namespace

TEST(Cipher_EncodeSplit, PairsOneChainCouldGiveAtEveryKindOfCut) {
    const int keyLength = 7; // the positions wrap inside pieces and at their edges
    const KeyMaterial key = TestKey(keyLength);
    SystemClock clock;
    RandomSource random(clock);
    std::mt19937 engine(11);
    for (const std::size_t threads : {0u, 1u, 3u}) {
        Workers helpers(threads);
        std::vector<std::unique_ptr<IRandomSource>> sources;
        for (std::size_t k = 0; k < threads; ++k) {
            sources.push_back(random.Independent());
        }
        for (const bool reference : {false, true}) {
            Cipher cipher;
            PositionSchedule schedule;
            const std::string codesOfReference("ab\0\xFF", 4);
            schedule.Start(keyLength, nullptr);
            // Piece edges of both parities of the alternation, pieces shorter than a seam needs,
            // one of a single code, and pieces longer than the notes a piece keeps.
            for (const std::size_t count : {1u, 2u, 3u, 4u, 5u, 8u, 9u, 63u, 64u, 65u, 300u, 2001u, 2 * 4097u + 1}) {
                for (int repeat = 0; repeat < (count < 100 ? 20 : 1); ++repeat) {
                    SCOPED_TRACE(testing::Message() << threads << " threads, reference " << reference << ", "
                                                    << count << " codes");
                    std::vector<std::uint8_t> codes(count), out(2 * count);
                    for (auto& code : codes) {
                        // Long runs of one code meet the last output row and column most often.
                        code = static_cast<std::uint8_t>(engine() % 3 == 0 ? 7 : engine());
                    }
                    PositionWalk walk = schedule.Walk();
                    walk.referenceMode = reference;
                    walk.reference = codesOfReference;
                    PositionWalk expected = walk;
                    const EncoderState start = cipher.state;
                    cipher.EncodeSplit(key, random, walk, codes.data(), count, out.data(), helpers, sources);

                    std::set<Between> can{{start.lastOutputRow, start.previousDrawnRow, start.lastOutputColumn,
                                           start.previousDrawnColumn}};
                    for (std::size_t k = 0; k < count; ++k) {
                        const int p = expected.Next();
                        const std::uint8_t first = out[2 * k], second = out[2 * k + 1];
                        ASSERT_EQ(Cipher::DecodePair(key, p, first, second), codes[k]) << k;
                        ASSERT_EQ(key.ColumnOf(p, first), key.ColumnOf(p, codes[k])) << k;
                        ASSERT_EQ(key.RowOf(p, second), key.RowOf(p, codes[k])) << k;
                        can = Emit(can, key.RowOf(p, codes[k]), key.ColumnOf(p, codes[k]), key.RowOf(p, first),
                                   key.ColumnOf(p, second));
                        ASSERT_FALSE(can.empty()) << "no chain gives pair " << k;
                    }
                    const EncoderState& end = cipher.state;
                    EXPECT_TRUE(can.contains(
                        {end.lastOutputRow, end.previousDrawnRow, end.lastOutputColumn, end.previousDrawnColumn}));
                    EXPECT_EQ(std::tuple(end.drawnRow, end.drawnColumn, end.alternation),
                              std::tuple(end.lastOutputRow, end.lastOutputColumn, start.alternation != (count % 2 == 1)));
                    EXPECT_EQ(std::tuple(walk.keyPosition, walk.referenceIndex, walk.effectivePosition),
                              std::tuple(expected.keyPosition, expected.referenceIndex, expected.effectivePosition));
                    schedule.Continue(walk, count);
                }
            }
        }
    }
}
