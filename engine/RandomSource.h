#pragma once

#include "Platform.h"

#include <array>
#include <cstdint>

namespace velt {

class SystemClock;

/// The program's random source: a ChaCha12 keystream keyed from the operating
/// system's generator, with the time of day mixed into its running state before
/// every draw, so draws within one clock tick still differ and no draw can be
/// foretold from earlier ones.
class RandomSource final : public IRandomSource {
public:
    /// `clock` must outlive the source.
    explicit RandomSource(IClock& clock);

    float Draw() override;

private:
    static constexpr int kBlocks = 4;
    /// Twelve rounds: far beyond any known attack, and the draws sit in the coding loop.
    static constexpr int kDoubleRounds = 6;
    static constexpr int kBufferWords = 16 * kBlocks;
    void Refill();

    IClock& m_clock;
    SystemClock* m_systemClock; ///< the same clock when it is the system's: read without a virtual call
    std::array<std::uint32_t, 16> m_input{}; ///< ChaCha constants, key, counter, nonce
    std::array<std::uint32_t, kBufferWords> m_buffer{};
    int m_used = kBufferWords;
    std::uint64_t m_mix = 0; ///< running digest of every clock reading so far
};

} // namespace velt
