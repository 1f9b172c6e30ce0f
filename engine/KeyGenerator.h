#pragma once
// New keys: every record an independent, uniformly random permutation of the 256 codes,
// drawn from the operating system's cryptographic random source. Nothing of a key may
// follow from the clock or from another key.

#include "engine/KeyFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace velt {

/// Fills its argument with bytes from a random source.
using RandomBytes = std::function<void(std::span<std::uint8_t>)>;

/// The system's cryptographic random source (getrandom). Throws VeltError(KeyWriteFailed)
/// when the system cannot give random bytes: a key is never formed from anything weaker.
void SystemRandomBytes(std::span<std::uint8_t> bytes);

/// Shuffles the codes 0..255 anew for every record: Fisher-Yates, every index drawn
/// without bias (bytes beyond the largest multiple of the range are drawn again).
class PermutationSource final {
public:
    explicit PermutationSource(RandomBytes bytes = SystemRandomBytes) : m_bytes(std::move(bytes)) {}

    KeyRecord Next();

private:
    /// A uniform number 0..bound-1, bound 1..256.
    int Below(int bound);

    RandomBytes m_bytes;
    std::array<std::uint8_t, 4096> m_pool{};
    std::size_t m_used = 4096;
};

} // namespace velt
