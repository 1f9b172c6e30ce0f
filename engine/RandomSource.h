#pragma once

#include "Platform.h"

#include <array>
#include <cstdint>

namespace velt {

/// The program's random source: a ChaCha20 keystream keyed from the operating
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
    static constexpr int kBufferWords = 16 * kBlocks;
    void Refill();

    IClock& m_clock;
    std::array<std::uint32_t, 16> m_input{}; ///< ChaCha constants, key, counter, nonce
    std::array<std::uint32_t, kBufferWords> m_buffer{};
    int m_used = kBufferWords;
    std::uint64_t m_mix = 0; ///< running digest of every clock reading so far
};

} // namespace velt
