#include "engine/Cipher.h"
#include "engine/LaneEncoder.h"
#include "engine/LanesAhead.h"
#include "engine/PositionSchedule.h"
#include "engine/RandomSource.h"
#include "engine/SystemServices.h"
#include "engine/Workers.h"
#include "tests/engine/Fakes.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
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
    static thread_local std::vector<bool> seen(17 * 17 * 17 * 17);
    std::vector<std::size_t> marked; // cleared one by one: far fewer than the whole table
    for (const auto& [lastRow, previousRow, lastColumn, previousColumn] : before) {
        for (const std::size_t at : marked) {
            seen[at] = false;
        }
        marked.clear();
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
                            marked.push_back(at);
                            rounds.emplace_back(rowOut, rowDrawn, columnOut, columnDrawn);
                        }
                    } else if (rowOut == row && columnOut == column) {
                        after.emplace(rowOut, rowDrawn, columnOut, columnDrawn);
                    }
                }
            }
        }
    }
    for (const std::size_t at : marked) {
        seen[at] = false;
    }
    return after;
}

/// Checks that one chain from `start` could give the pairs `out` of `codes` at the positions
/// of `walk`, and that `end` is a state it can end in; `noted(k)`, when given, a state it can
/// be in after code k.
void ExpectOneChain(const KeyMaterial& key, PositionWalk walk, const std::uint8_t* codes, std::size_t count,
                    const std::uint8_t* out, const EncoderState& start, const EncoderState& end,
                    const std::function<std::optional<EncoderState>(std::size_t)>& noted = {}) {
    std::set<Between> can{{start.lastOutputRow, start.previousDrawnRow, start.lastOutputColumn,
                           start.previousDrawnColumn}};
    const auto holds = [&can](const EncoderState& s) {
        return can.contains({s.lastOutputRow, s.previousDrawnRow, s.lastOutputColumn, s.previousDrawnColumn});
    };
    for (std::size_t k = 0; k < count; ++k) {
        const int p = walk.Next();
        const std::uint8_t first = out[2 * k], second = out[2 * k + 1];
        ASSERT_EQ(Cipher::DecodePair(key, p, first, second), codes[k]) << k;
        ASSERT_EQ(key.ColumnOf(p, first), key.ColumnOf(p, codes[k])) << k;
        ASSERT_EQ(key.RowOf(p, second), key.RowOf(p, codes[k])) << k;
        can = Emit(can, key.RowOf(p, codes[k]), key.ColumnOf(p, codes[k]), key.RowOf(p, first),
                   key.ColumnOf(p, second));
        ASSERT_FALSE(can.empty()) << "no chain gives pair " << k;
        if (const auto state = noted ? noted(k) : std::nullopt) {
            ASSERT_TRUE(holds(*state)) << "noted after " << k;
            ASSERT_EQ(state->alternation, start.alternation != (k % 2 == 0)) << k;
        }
    }
    EXPECT_TRUE(holds(end));
    EXPECT_EQ(std::tuple(end.drawnRow, end.drawnColumn, end.alternation),
              std::tuple(end.lastOutputRow, end.lastOutputColumn, start.alternation != (count % 2 == 1)));
}

/// Another source's nibbles, counted as they are taken.
struct Counted final : IRandomSource {
    explicit Counted(IRandomSource& from) : inner(from) {}
    float Draw() override {
        ++taken;
        return inner.Draw();
    }
    std::span<const std::uint8_t> ReadyNibbles() override { return inner.ReadyNibbles(); }
    void TakeNibbles(std::size_t count) override {
        taken += count;
        inner.TakeNibbles(count);
    }
    IRandomSource& inner;
    std::size_t taken = 0;
};

std::vector<std::uint8_t> SomeCodes(std::mt19937& engine, std::size_t count) {
    std::vector<std::uint8_t> codes(count);
    for (auto& code : codes) {
        // Long runs of one code meet the last output row and column most often.
        code = static_cast<std::uint8_t>(engine() % 3 == 0 ? 7 : engine());
    }
    return codes;
}

} // namespace

TEST(Cipher_EncodeLanes, EachLaneOneChainWithItsNotesAndEnd) {
    if (!LanesAvailable()) {
        GTEST_SKIP() << "this processor has no vector lanes";
    }
    const int keyLength = 7;
    const KeyMaterial key = TestKey(keyLength);
    SystemClock clock;
    RandomSource random(clock);
    std::mt19937 engine(5);
    const std::string codesOfReference("ab\0\xFF", 4);
    struct Case {
        const char* what;
        std::size_t perLane, rest;
        bool reference, flipped;
    };
    // Lanes in step (whole rounds of the key, an odd count so the lanes alternate), out of step,
    // and along a reference; codes left over for the last lane; pieces shorter than the notes.
    for (const Case& c : {Case{"in step", 7 * 21, 5, false, true}, Case{"out of step", 150, 0, false, false},
                          Case{"reference", 140, 63, true, false}, Case{"short", 9, 1, false, true}}) {
        SCOPED_TRACE(c.what);
        const std::size_t count = kLanes * c.perLane + c.rest;
        const auto codes = SomeCodes(engine, count);
        std::vector<std::uint8_t> out(2 * count);
        PositionWalk walk;
        walk.keyLength = keyLength;
        walk.keyPosition = 3;
        walk.referenceMode = c.reference;
        walk.reference = codesOfReference;
        LaneRun run;
        EncodeLanes(key, random, walk, c.flipped, codes.data(), count, out.data(), 100, run);
        ASSERT_EQ(run.notedSteps, std::min<std::size_t>(100, c.perLane));
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            SCOPED_TRACE(testing::Message() << "lane " << lane);
            const std::size_t at = lane * c.perLane;
            EncoderState start;
            start.alternation = c.flipped != (at % 2 == 1);
            PositionWalk from = walk;
            from.Skip(at);
            ExpectOneChain(key, from, codes.data() + at, lane + 1 < kLanes ? c.perLane : c.perLane + c.rest,
                           out.data() + 2 * at, start, run.end[lane], [&](std::size_t k) -> std::optional<EncoderState> {
                               if (k >= run.notedSteps) {
                                   return std::nullopt;
                               }
                               return run.Noted(lane, k);
                           });
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(LanesAhead_Take, EachFileOneChainFromWhereTheChainStandsAndOnlyForItsOwnCodesAndKey) {
    if (!LanesAvailable()) {
        GTEST_SKIP() << "this processor has no vector lanes";
    }
    const int keyLength = 7;
    KeyMaterial key = TestKey(keyLength);
    SystemClock clock;
    RandomSource random(clock);
    std::mt19937 engine(23);
    // Files of different lengths: the lanes hold as many codes as the shortest, the chain the rest.
    std::vector<std::vector<std::uint8_t>> files;
    for (std::size_t k = 0; k < 40; ++k) {
        files.push_back(SomeCodes(engine, 600 + 37 * k));
    }
    const std::vector<std::size_t> taken{0, 1, 2, 5, 6, 39};
    // The alternation each file will start with, from the lengths of those taken before it.
    std::vector<bool> flipped(files.size());
    bool flip = false;
    for (const std::size_t k : taken) {
        flipped[k] = flip;
        flip = flip != (files[k].size() % 2 == 1);
    }
    PositionSchedule schedule;
    schedule.Start(keyLength, nullptr);
    LanesAhead ahead;
    ahead.Prepare(key, random, schedule.Walk(), files, flipped);
    ASSERT_EQ(ahead.Left(), 40u);
    Cipher cipher;
    Counted counted(random);
    // A file that is not the next one is found further on; the ones passed are dropped.
    for (const std::size_t k : taken) {
        SCOPED_TRACE(testing::Message() << "file " << k);
        const std::vector<std::uint8_t>& file = files[k];
        std::vector<std::uint8_t> out(2 * file.size());
        PositionWalk walk = schedule.Walk();
        const PositionWalk from = walk;
        const EncoderState start = cipher.state;
        ASSERT_TRUE(ahead.Take(cipher, key, counted, walk, file.data(), file.size(), out.data()));
        ExpectOneChain(key, from, file.data(), file.size(), out.data(), start, cipher.state);
        EXPECT_EQ(walk.keyPosition, static_cast<int>(file.size() % keyLength) + 1);
        if (HasFatalFailure()) {
            return;
        }
    }
    EXPECT_EQ(ahead.Left(), 0u);
    // The chain met the lanes early: far fewer fresh draws than the chain alone takes.
    Counted alone(random);
    Cipher chain;
    for (const std::size_t k : taken) {
        std::vector<std::uint8_t> out(2 * files[k].size());
        PositionWalk walk = schedule.Walk();
        chain.EncodeWalk(key, alone, walk, files[k].data(), files[k].size(), out.data());
    }
    EXPECT_LT(counted.taken, alone.taken * 3 / 4);

    ahead.Prepare(key, random, schedule.Walk(), files, flipped);
    std::vector<std::uint8_t> out(2 * files[3].size());
    PositionWalk walk = schedule.Walk();
    // Other codes, or the same ones a code short, or from another position: not prepared.
    auto changed = files[3];
    changed[changed.size() / 2] ^= 1;
    EXPECT_FALSE(ahead.Take(cipher, key, random, walk, changed.data(), changed.size(), out.data()));
    EXPECT_FALSE(ahead.Take(cipher, key, random, walk, files[3].data(), files[3].size() - 1, out.data()));
    PositionWalk later = walk;
    later.Skip(1);
    EXPECT_FALSE(ahead.Take(cipher, key, random, later, files[3].data(), files[3].size(), out.data()));
    // Tables refilled since, even with the same key: stale.
    const auto record = KeyBytes(1);
    key.FillPosition(1, &record[2]);
    EXPECT_FALSE(ahead.Take(cipher, key, random, walk, files[3].data(), files[3].size(), out.data()));
    EXPECT_EQ(ahead.Left(), 40u);
}

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
        // Enough codes for vector lanes in every piece.
        const std::size_t inLanes = (threads + 1) * (kLanes * 1024 + 1);
        for (const Lanes lanes : {Lanes::IfAvailable, Lanes::None}) {
            for (const bool reference : {false, true}) {
                Cipher cipher;
                PositionSchedule schedule;
                const std::string codesOfReference("ab\0\xFF", 4);
                schedule.Start(keyLength, nullptr);
                // Piece edges of both parities of the alternation, pieces shorter than a seam
                // needs, one of a single code, and pieces longer than the notes a piece keeps.
                std::vector<std::size_t> counts{1, 2, 3, 4, 5, 8, 9, 63, 64, 65, 300, 2001, 2 * 4097 + 1};
                if (lanes == Lanes::IfAvailable) {
                    // The lanes' own edges are the other test's; here the seams between them
                    // (three threads cost the model seconds and add nothing).
                    counts = {threads < 3 ? inLanes + 2 * kLanes * 7 + 3 : 0};
                }
                for (const std::size_t count : counts) {
                    if (count == 0) {
                        continue;
                    }
                    for (int repeat = 0; repeat < (count < 100 ? 20 : 1); ++repeat) {
                        SCOPED_TRACE(testing::Message() << threads << " threads, lanes " << (lanes == Lanes::IfAvailable)
                                                        << ", reference " << reference << ", " << count << " codes");
                        const auto codes = SomeCodes(engine, count);
                        std::vector<std::uint8_t> out(2 * count);
                        PositionWalk walk = schedule.Walk();
                        walk.referenceMode = reference;
                        walk.reference = codesOfReference;
                        const PositionWalk expected = walk;
                        const EncoderState start = cipher.state;
                        cipher.EncodeSplit(key, random, walk, codes.data(), count, out.data(), helpers, sources, lanes);
                        ExpectOneChain(key, expected, codes.data(), count, out.data(), start, cipher.state);
                        if (HasFatalFailure()) {
                            return;
                        }
                        PositionWalk after = expected;
                        after.Skip(count);
                        EXPECT_EQ(std::tuple(walk.keyPosition, walk.referenceIndex, walk.effectivePosition),
                                  std::tuple(after.keyPosition, after.referenceIndex, after.effectivePosition));
                        schedule.Continue(walk, count);
                    }
                }
            }
        }
    }
}
