#pragma once

#include "engine/Platform.h"

#include <array>
#include <cstdint>

namespace velt {

class SystemClock;

/// The program's random source: a ChaCha12 keystream keyed from the operating
/// system's generator. The time of day is mixed into its running state before every
/// Draw(), and once per run of 512 nibbles that ReadyNibbles() hands out, so draws
/// within one clock tick still differ and no draw can be foretold from earlier ones.
class RandomSource final : public IRandomSource {
public:
    /// `clock` must outlive the source.
    explicit RandomSource(IClock& clock);

    float Draw() override;
    std::span<const std::uint8_t> ReadyNibbles() override;
    void TakeNibbles(std::size_t count) override { m_nibblesUsed += count; }

private:
    static constexpr int kBlocks = 4;
    /// Twelve rounds: far beyond any known attack, and the draws sit in the coding loop.
    static constexpr int kDoubleRounds = 6;
    static constexpr int kBufferWords = 16 * kBlocks;
    static constexpr std::size_t kNibbles = 8 * kBufferWords;
    using Words = std::array<std::uint32_t, kBufferWords>;
    void ReadClock();
    /// The next blocks of the keystream, the clock history so far folded into the key.
    void Generate(Words& out);

    IClock& m_clock;
    SystemClock* m_systemClock; ///< the same clock when it is the system's: read without a virtual call
    std::array<std::uint32_t, 16> m_input{}; ///< ChaCha constants, key, counter, nonce
    Words m_buffer{};
    int m_used = kBufferWords;
    std::array<std::uint8_t, kNibbles> m_nibbles{};
    std::size_t m_nibblesUsed = kNibbles;
    std::uint64_t m_mix = 0; ///< running digest of every clock reading so far
};

} // namespace velt
