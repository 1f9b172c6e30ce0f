#include "engine/RandomSource.h"

#include "engine/SystemServices.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <random>
#include <stdexcept>
#include <openssl/evp.h>
#include <sys/random.h>

namespace velt {
namespace {

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

[[noreturn]] void CipherFailed() {
    throw std::runtime_error("libcrypto could not produce the ChaCha20 keystream");
}

} // namespace

RandomSource::RandomSource(IClock& clock)
    : m_clock(clock), m_systemClock(dynamic_cast<SystemClock*>(&clock)), m_context(nullptr, EVP_CIPHER_CTX_free) {
    FillFromSystem(m_key.data(), m_key.size());
    FillFromSystem(m_nonce.data(), m_nonce.size());
    FillFromSystem(&m_mix, sizeof m_mix);
}

RandomSource::~RandomSource() = default;

std::unique_ptr<IRandomSource> RandomSource::Independent() {
    return std::make_unique<RandomSource>(m_clock);
}

void RandomSource::ReadClock() {
    const std::uint64_t now = m_systemClock != nullptr ? m_systemClock->FineTime() : m_clock.FineTime();
    m_mix = (m_mix ^ now) * 0x9E3779B97F4A7C15u;
    m_mix ^= m_mix >> 29;
}

void RandomSource::Keystream(std::uint8_t* out, std::size_t bytes) {
    // The run counter makes every (key, nonce) pair new, whatever the clock did; the clock
    // history changes the key as well.
    std::array<std::uint8_t, 32> key = m_key;
    for (std::size_t i = 0; i < 8; ++i) {
        key[i] ^= static_cast<std::uint8_t>(m_mix >> (8 * i));
    }
    // Block counter (4 bytes) and nonce (12 bytes), little-endian as libcrypto takes them.
    std::array<std::uint8_t, 16> iv{};
    for (std::size_t i = 0; i < 8; ++i) {
        iv[4 + i] = static_cast<std::uint8_t>(m_runs >> (8 * i));
    }
    std::memcpy(&iv[12], m_nonce.data(), m_nonce.size());
    ++m_runs;
    if (!m_context) {
        // On first use only: libcrypto's first cipher costs about a millisecond to set up,
        // which a program that never draws should not pay at its start.
        m_context.reset(EVP_CIPHER_CTX_new());
        if (!m_context) {
            throw std::bad_alloc();
        }
        if (EVP_EncryptInit_ex(m_context.get(), EVP_chacha20(), nullptr, nullptr, nullptr) != 1) {
            m_context.reset();
            CipherFailed();
        }
    }
    std::memset(out, 0, bytes);
    int written = 0;
    if (EVP_EncryptInit_ex(m_context.get(), nullptr, nullptr, key.data(), iv.data()) != 1 ||
        EVP_EncryptUpdate(m_context.get(), out, &written, out, static_cast<int>(bytes)) != 1 ||
        static_cast<std::size_t>(written) != bytes) {
        CipherFailed();
    }
}

float RandomSource::Draw() {
    ReadClock();
    if (m_drawUsed + 4 > kDrawBytes) {
        Keystream(m_drawBytes.data(), kDrawBytes);
        m_drawUsed = 0;
    }
    std::uint32_t word = 0;
    std::memcpy(&word, &m_drawBytes[m_drawUsed], sizeof word);
    m_drawUsed += sizeof word;
    word ^= static_cast<std::uint32_t>(m_mix >> 32);
    // 24 bits fill a float's mantissa exactly: uniform over [0, 1).
    return static_cast<float>(word >> 8) * 0x1p-24f;
}

std::span<const std::uint8_t> RandomSource::ReadyNibbles() {
    if (m_nibblesUsed >= m_nibbles.size()) {
        ReadClock();
        // Each keystream nibble is uniform over 0..15: the whole part of 16 x for the uniform
        // fraction x that it starts. Byte by byte, low nibble first, so the loop vectorises.
        Keystream(m_runBytes.data(), kRunBytes);
        for (std::size_t i = 0; i < kRunBytes; ++i) {
            m_nibbles[2 * i] = static_cast<std::uint8_t>(m_runBytes[i] & 15);
            m_nibbles[2 * i + 1] = static_cast<std::uint8_t>(m_runBytes[i] >> 4);
        }
        m_nibblesUsed = 0;
    }
    return std::span<const std::uint8_t>(m_nibbles).subspan(m_nibblesUsed);
}

} // namespace velt
