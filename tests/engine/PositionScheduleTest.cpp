#include "PositionSchedule.h"

#include "Platform.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using namespace velt;

namespace {

class ReferenceBox final : public IReferenceText {
public:
    explicit ReferenceBox(std::string codes) : text(std::move(codes)) {}
    const std::string& Codes() override {
        ++reads;
        return text;
    }
    std::string text;
    int reads = 0;
};

std::vector<int> Positions(PositionSchedule& schedule, int count) {
    std::vector<int> positions;
    for (int i = 0; i < count; ++i) {
        positions.push_back(schedule.Next());
    }
    return positions;
}

} // namespace

TEST(PositionSchedule_PlainMode, CyclesThroughKeyLength) {
    PositionSchedule schedule;
    schedule.Start(3, nullptr);
    EXPECT_FALSE(schedule.ReferenceMode());
    EXPECT_EQ(Positions(schedule, 7), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));

    // An empty reference text at the start means plain mode for the whole run,
    // even when text is typed into the box meanwhile.
    ReferenceBox box("");
    schedule.Start(3, &box);
    EXPECT_FALSE(schedule.ReferenceMode());
    box.text = "A";
    EXPECT_EQ(Positions(schedule, 4), (std::vector<int>{1, 2, 3, 1}));

    // A new run starts afresh, whatever the previous one left behind.
    schedule.Start(5, nullptr);
    EXPECT_EQ(Positions(schedule, 2), (std::vector<int>{1, 2}));

    schedule.Start(1, nullptr);
    EXPECT_EQ(Positions(schedule, 3), (std::vector<int>{1, 1, 1}));
    EXPECT_THROW(schedule.Start(0, nullptr), std::invalid_argument);
}

TEST(PositionSchedule_ReferenceMode, FollowsWorkedExamples) {
    PositionSchedule schedule;
    ReferenceBox a("A"); // code 65
    schedule.Start(366, &a);
    EXPECT_TRUE(schedule.ReferenceMode());
    const std::vector<int> positions = Positions(schedule, 304);
    for (int k = 1; k <= 237; ++k) {
        ASSERT_EQ(positions[k - 1], 129 + k) << "character " << k;
    }
    for (int k = 238; k <= 302; ++k) {
        ASSERT_EQ(positions[k - 1], k - 237) << "character " << k;
    }
    EXPECT_EQ(positions[302], 66);
    EXPECT_EQ(positions[303], 67);
    EXPECT_GT(a.reads, 304); // read afresh for every character

    // 200 + 200 = 400, remainder 0 becomes 1; then key position 201 wraps to 1: 200 + 1 -> 1.
    ReferenceBox high(std::string(1, static_cast<char>(200)));
    schedule.Start(100, &high);
    EXPECT_EQ(Positions(schedule, 3), (std::vector<int>{1, 1, 2}));

    // Two codes, worked by hand: key position starts at 65; 65+65=130->30, 67+66=133->33, 65+67=132->32.
    ReferenceBox ac("AC");
    schedule.Start(100, &ac);
    EXPECT_EQ(Positions(schedule, 3), (std::vector<int>{30, 33, 32}));

    // A reference starting with code 0 would give position 0, which no key has.
    ReferenceBox nul(std::string(1, '\0'));
    schedule.Start(10, &nul);
    EXPECT_EQ(Positions(schedule, 3), (std::vector<int>{1, 1, 2}));
}

TEST(PositionSchedule_ReferenceMode, ReferenceChangingMidRunNeverReadsOutOfBounds) {
    PositionSchedule schedule;
    ReferenceBox box("ABC"); // 65, 66, 67
    schedule.Start(1000, &box);
    EXPECT_EQ(schedule.Next(), 65 + 65);
    EXPECT_EQ(schedule.Next(), 66 + 66);
    // Shrunk below the reference index: reading wraps to the first code.
    box.text = "A";
    EXPECT_EQ(schedule.Next(), 65 + 67);
    // Emptied: the code counts as 0 and the key position goes on.
    box.text.clear();
    EXPECT_EQ(schedule.Next(), 68);
    EXPECT_EQ(schedule.Next(), 69);
    // Typed again: the reference applies once more.
    box.text = "B";
    EXPECT_EQ(schedule.Next(), 66 + 70);
}
