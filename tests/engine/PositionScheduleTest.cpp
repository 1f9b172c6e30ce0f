#include "PositionSchedule.h"

#include "Platform.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using namespace velt;

namespace {

struct ReferenceBox final : IReferenceText {
    explicit ReferenceBox(std::string codes) : text(std::move(codes)) {}
    const std::string& Codes() override { return text; }
    std::string text;
};

std::vector<int> Positions(int keyLength, IReferenceText* reference, int count) {
    PositionSchedule schedule;
    schedule.Start(keyLength, reference);
    std::vector<int> positions;
    for (int i = 0; i < count; ++i) {
        positions.push_back(schedule.Next());
    }
    return positions;
}

} // namespace

TEST(PositionSchedule_PlainMode, CyclesThroughKeyLength) {
    EXPECT_EQ(Positions(3, nullptr, 7), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    ReferenceBox empty("");
    EXPECT_EQ(Positions(1, &empty, 3), (std::vector<int>{1, 1, 1}));
    EXPECT_THROW(Positions(0, nullptr, 1), std::invalid_argument);
}

TEST(PositionSchedule_ReferenceMode, FollowsWorkedExamples) {
    ReferenceBox a("A"); // code 65, key length 366: 130..366, then 1..65, then 66
    const std::vector<int> positions = Positions(366, &a, 303);
    for (int k = 1; k <= 303; ++k) {
        ASSERT_EQ(positions[k - 1], k <= 237 ? 129 + k : k - 237) << "character " << k;
    }
    // Code 200, key length 100: 400 -> 0 -> 1; key position 201 wraps to 1, so 201 -> 1.
    ReferenceBox high(std::string(1, '\xC8'));
    EXPECT_EQ(Positions(100, &high, 3), (std::vector<int>{1, 1, 2}));
    // By hand: 65+65=130->30, 67+66=133->33, 65+67=132->32.
    ReferenceBox ac("AC");
    EXPECT_EQ(Positions(100, &ac, 3), (std::vector<int>{30, 33, 32}));
    // Code 0 first would give position 0, which no key has.
    ReferenceBox nul(std::string(1, '\0'));
    EXPECT_EQ(Positions(10, &nul, 2), (std::vector<int>{1, 1}));
}

TEST(PositionSchedule_ReferenceMode, ReferenceChangingMidRunIsReadAfresh) {
    PositionSchedule schedule;
    ReferenceBox box("ABC");
    schedule.Start(1000, &box);
    EXPECT_EQ(schedule.Next(), 65 + 65);
    box.text = "A"; // shrunk below the index: wraps to the first code
    EXPECT_EQ(schedule.Next(), 65 + 66);
    box.text.clear(); // emptied: code 0, the key position goes on
    EXPECT_EQ(schedule.Next(), 67);
    box.text = "B";
    EXPECT_EQ(schedule.Next(), 66 + 68);

    // The mode is chosen at the start: text typed later does not switch a plain run.
    ReferenceBox late("");
    schedule.Start(3, &late);
    late.text = "A";
    EXPECT_EQ(schedule.Next(), 1);
}
