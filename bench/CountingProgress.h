#pragma once

#include "engine/Platform.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string_view>

/// A wait window's cost stand-in: every update does a little work the compiler cannot drop.
class CountingProgress final : public velt::IProgress {
public:
    void Begin(std::int64_t, std::string_view) override {}
    void Update(std::int64_t value) override { benchmark::DoNotOptimize(m_sum += value); }
    void End() override {}

private:
    std::int64_t m_sum = 0;
};
