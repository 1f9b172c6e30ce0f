#include "engine/RandomSource.h"

#include "engine/SystemServices.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <sys/random.h>

namespace velt {
namespace {

using Lanes = std::uint32_t __attribute__((vector_size(16)));

inline Lanes Rotate(Lanes v, int n) {
    return (v << n) | (v >> (32 - n));
}

inline void QuarterRound(Lanes& a, Lanes& b, Lanes& c, Lanes& d) {
    a += b;
    d = Rotate(d ^ a, 16);
    c += d;
    b = Rotate(b ^ c, 12);
    a += b;
    d = Rotate(d ^ a, 8);
    c += d;
    b = Rotate(b ^ c, 7);
}

void FillFromSystem(void* target, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(target);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = getrandom(bytes + done, size - done, 0);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    if (done < size) {
        // A kernel without getrandom(): the library's own system source.
        std::random_device device;
        for (; done < size; ++done) {
            bytes[done] = static_cast<unsigned char>(device());
        }
    }
}

} // namespace

RandomSource::RandomSource(IClock& clock)
    : m_clock(clock), m_systemClock(dynamic_cast<SystemClock*>(&clock)) {
    m_input[0] = 0x61707865;
    m_input[1] = 0x3320646e;
    m_input[2] = 0x79622d32;
    m_input[3] = 0x6b206574;
    FillFromSystem(&m_input[4], 8 * sizeof(std::uint32_t));  // key
    FillFromSystem(&m_input[14], 2 * sizeof(std::uint32_t)); // nonce
    FillFromSystem(&m_mix, sizeof m_mix);
}

void RandomSource::ReadClock() {
    const std::uint64_t now = m_systemClock != nullptr ? m_systemClock->FineTime() : m_clock.FineTime();
    m_mix = (m_mix ^ now) * 0x9E3779B97F4A7C15u;
    m_mix ^= m_mix >> 29;
}

float RandomSource::Draw() {
    ReadClock();
    if (m_used == kBufferWords) {
        Generate(m_buffer);
        m_used = 0;
    }
    const std::uint32_t word =
        m_buffer[static_cast<std::size_t>(m_used++)] ^ static_cast<std::uint32_t>(m_mix >> 32);
    // 24 bits fill a float's mantissa exactly: uniform over [0, 1).
    return static_cast<float>(word >> 8) * 0x1p-24f;
}

std::span<const std::uint8_t> RandomSource::ReadyNibbles() {
    if (m_nibblesUsed >= kNibbles) {
        ReadClock();
        Words words;
        Generate(words);
        // Each keystream nibble is uniform over 0..15: the whole part of 16 x for the
        // uniform fraction x that it starts.
        // Byte by byte, low nibble first, so the loop vectorises.
        std::array<std::uint8_t, sizeof words> bytes;
        std::memcpy(bytes.data(), words.data(), sizeof words);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            m_nibbles[2 * i] = static_cast<std::uint8_t>(bytes[i] & 15);
            m_nibbles[2 * i + 1] = static_cast<std::uint8_t>(bytes[i] >> 4);
        }
        m_nibblesUsed = 0;
    }
    return std::span<const std::uint8_t>(m_nibbles).subspan(m_nibblesUsed);
}

void RandomSource::Generate(Words& out) {
    // The clock history so far becomes part of the key for the next blocks.
    m_input[4] ^= static_cast<std::uint32_t>(m_mix);
    m_input[5] ^= static_cast<std::uint32_t>(m_mix >> 32);

    Lanes x[16];
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t v = m_input[static_cast<std::size_t>(i)];
        x[i] = Lanes{v, v, v, v};
    }
    x[12] += Lanes{0, 1, 2, 3};
    Lanes start[16];
    std::memcpy(start, x, sizeof x);
    for (int round = 0; round < kDoubleRounds; ++round) {
        QuarterRound(x[0], x[4], x[8], x[12]);
        QuarterRound(x[1], x[5], x[9], x[13]);
        QuarterRound(x[2], x[6], x[10], x[14]);
        QuarterRound(x[3], x[7], x[11], x[15]);
        QuarterRound(x[0], x[5], x[10], x[15]);
        QuarterRound(x[1], x[6], x[11], x[12]);
        QuarterRound(x[2], x[7], x[8], x[13]);
        QuarterRound(x[3], x[4], x[9], x[14]);
    }
    for (int i = 0; i < 16; ++i) {
        const Lanes lane = x[i] + start[i];
        for (int block = 0; block < kBlocks; ++block) {
            out[static_cast<std::size_t>(block * 16 + i)] = lane[block];
        }
    }
    // 64-bit block counter in words 12 and 13; it stays a multiple of 4, so the lanes never carry.
    const std::uint64_t next = (static_cast<std::uint64_t>(m_input[13]) << 32 | m_input[12]) + kBlocks;
    m_input[12] = static_cast<std::uint32_t>(next);
    m_input[13] = static_cast<std::uint32_t>(next >> 32);
}

} // namespace velt
