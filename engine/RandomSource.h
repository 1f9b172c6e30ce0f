#pragma once

#include "engine/Platform.h"

#include <array>
#include <cstdint>
#include <memory>

struct evp_cipher_ctx_st;

namespace velt {

class SystemClock;

/// The program's random source: the ChaCha20 keystream of libcrypto, keyed from the
/// operating system's generator. The time of day is mixed into its running state before
/// every Draw(), and once per run of nibbles that ReadyNibbles() hands out, so draws
/// within one clock tick still differ and no draw can be foretold from earlier ones.
class RandomSource final : public IRandomSource {
public:
    /// `clock` must outlive the source, and every Independent() copy of it, which read it
    /// from their own threads.
    explicit RandomSource(IClock& clock);
    ~RandomSource() override;
    RandomSource(const RandomSource&) = delete;
    RandomSource& operator=(const RandomSource&) = delete;

    float Draw() override;
    std::span<const std::uint8_t> ReadyNibbles() override;
    void TakeNibbles(std::size_t count) override { m_nibblesUsed += count; }
    /// A source with a key and nonce of its own from the operating system.
    std::unique_ptr<IRandomSource> Independent() override;

    /// Keystream bytes per run: the nibbles of one run are twice as many.
    static constexpr std::size_t kRunBytes = 4096;

private:
    static constexpr std::size_t kDrawBytes = 1024;
    void ReadClock();
    /// The next `bytes` of keystream under a nonce never used before, the clock history
    /// so far folded into the key.
    void Keystream(std::uint8_t* out, std::size_t bytes);

    IClock& m_clock;
    SystemClock* m_systemClock; ///< the same clock when it is the system's: read without a virtual call
    std::unique_ptr<evp_cipher_ctx_st, void (*)(evp_cipher_ctx_st*)> m_context;
    std::array<std::uint8_t, 32> m_key{};
    std::array<std::uint8_t, 4> m_nonce{}; ///< the nonce's random part; a run counter fills the rest
    std::uint64_t m_runs = 0;
    std::uint64_t m_mix = 0; ///< running digest of every clock reading so far
    std::array<std::uint8_t, kDrawBytes> m_drawBytes{};
    std::size_t m_drawUsed = kDrawBytes;
    std::array<std::uint8_t, kRunBytes> m_runBytes{};
    std::array<std::uint8_t, 2 * kRunBytes> m_nibbles{};
    std::size_t m_nibblesUsed = 2 * kRunBytes;
};

} // namespace velt
