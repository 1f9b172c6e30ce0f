#include "engine/Workers.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

using velt::Workers;

// A failure surfaces once, after every job has ended, and the threads stay usable.
TEST(Workers, FailureRethrownAfterAllEndedThreadsReused) {
    Workers workers(3);
    std::atomic<int> ended{0};
    workers.Start(0, [&] { ++ended; throw std::runtime_error("first"); });
    workers.Start(1, [&] { ++ended; });
    workers.Start(2, [&] { ++ended; throw std::logic_error("second"); });
    EXPECT_THROW(workers.Wait(), std::runtime_error);
    EXPECT_EQ(ended.load(), 3);
    EXPECT_NO_THROW(workers.Wait());
    for (int round = 0; round < 100; ++round) {
        workers.Start(static_cast<std::size_t>(round % 3), [&] { ++ended; });
    }
    workers.Wait();
    EXPECT_EQ(ended.load(), 103);
}
