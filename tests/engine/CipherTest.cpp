#include "Cipher.h"

#include "AppState.h"
#include "Fakes.h"
#include "RandomSource.h"
#include "SystemServices.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace velt;
using namespace velt::test;

namespace {

/// Position 1 holds the reset grid: code c stands in row c / 16 + 1, column c % 16 + 1.
KeyMaterial IdentityKey() {
    KeyMaterial key;
    std::uint8_t record[256];
    for (int k = 0; k < 256; ++k) {
        record[k] = static_cast<std::uint8_t>(k);
    }
    key.FillPosition(1, record);
    return key;
}

} // namespace

TEST(Cipher_EncodeChar, FollowsTheDrawingLoopExactly) {
    const KeyMaterial key = IdentityKey();
    ScriptedRandom random;
    Cipher cipher;
    // First call: all state zero, so the row is drawn low and the column high.
    random.script = {0.0f, 0.0f};
    EXPECT_EQ(cipher.EncodeChar(key, random, 1, 0x55), (CodePair{0x05, 0x5F}));
    EXPECT_EQ(random.draws, 2);
    // Second call, plain cell (16, 1): the draws 16 and 1 are mirrored onto the previous
    // output row and column, the loop keeps the mirrored values once, then draws anew
    // (row high, column low now).
    random.script = {0.0f, 0.0f, 0.5f, 0.25f};
    EXPECT_EQ(cipher.EncodeChar(key, random, 1, 0xF0), (CodePair{0x70, 0xF4}));
    EXPECT_EQ(random.draws, 6);
    EXPECT_EQ(cipher.state.lastOutputRow, 8);
    EXPECT_EQ(cipher.state.lastOutputColumn, 5);
    EXPECT_FALSE(cipher.state.alternation);
}

TEST(Cipher_RoundTrip, EveryCodeAtEveryPositionOfARealKey) {
    TempFolder folder;
    AppState state(folder.Path());
    state.keyLength = 1000;
    state.GenerateKey();
    state.LoadKey();
    const KeyMaterial& key = state.key;
    int previousRow = 0;
    int previousColumn = 0;
    for (int p = 1; p <= state.keyLength; ++p) {
        for (int c = 0; c < 256; ++c) {
            const auto code = static_cast<std::uint8_t>(c);
            const CodePair pair = state.cipher.EncodeChar(key, state.Random(), p, code);
            ASSERT_EQ(Cipher::DecodePair(key, p, pair.first, pair.second), code) << p << "," << c;
            // First in the plain column, another row; second in the plain row, another column.
            ASSERT_EQ(key.ColumnOf(p, pair.first), key.ColumnOf(p, code));
            ASSERT_NE(key.RowOf(p, pair.first), key.RowOf(p, code));
            ASSERT_EQ(key.RowOf(p, pair.second), key.RowOf(p, code));
            ASSERT_NE(key.ColumnOf(p, pair.second), key.ColumnOf(p, code));
            // Never the previous character's substitute row or column.
            ASSERT_NE(key.RowOf(p, pair.first), previousRow);
            ASSERT_NE(key.ColumnOf(p, pair.second), previousColumn);
            previousRow = key.RowOf(p, pair.first);
            previousColumn = key.ColumnOf(p, pair.second);
        }
    }
}

TEST(Cipher_Positions, OutsideTheTablesFailWithoutReading) {
    const KeyMaterial unloaded;
    SystemClock clock;
    RandomSource random(clock);
    Cipher cipher;
    for (int position : {0, -1, 10001}) {
        EXPECT_THROW(cipher.EncodeChar(unloaded, random, position, 'x'), std::out_of_range);
        EXPECT_THROW(Cipher::DecodePair(unloaded, position, 'a', 'b'), std::out_of_range);
    }
    // A position never loaded gives some pair, read inside its own grid (checked under ASan).
    EXPECT_NO_THROW(cipher.EncodeChar(unloaded, random, 1, 'x'));
    EXPECT_NO_THROW(Cipher::DecodePair(unloaded, 10000, 'a', 'b'));
}

TEST(RandomSource_Draws, UniformAndReseededFromTheClockEveryTime) {
    ScriptedClock clock; // the same fine time for both sources
    ScriptedClock same;
    RandomSource random(clock);
    RandomSource other(same);
    EXPECT_NE(random.Draw(), other.Draw()) << "seeded apart";
    int counts[16] = {};
    double sum = 0;
    const int n = 160000;
    for (int i = 0; i < n; ++i) {
        const float x = random.Draw();
        ASSERT_TRUE(x >= 0.0f && x < 1.0f) << x;
        sum += x;
        ++counts[Cipher::RandomNibble(random)];
    }
    EXPECT_EQ(clock.fineReads, 2 * n + 1);
    EXPECT_NEAR(sum / n, 0.5, 0.01);
    for (int count : counts) {
        EXPECT_NEAR(count, n / 16, n / 160);
    }
}
