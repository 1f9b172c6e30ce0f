#include "engine/Fingerprint.h"

#include <array>
#include <openssl/evp.h>
#include <stdexcept>

namespace velt {

std::string KeyFingerprint(std::span<const std::uint8_t> keyFileBytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_Digest(keyFileBytes.data(), keyFileBytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 unavailable");
    }
    // 32 characters that cannot be mistaken for one another when read aloud or written down.
    constexpr std::string_view kAlphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::string text;
    unsigned bits = 0;
    int pending = 0;
    std::size_t next = 0;
    for (int group = 0; group < 4; ++group) {
        if (group > 0) {
            text += '-';
        }
        for (int k = 0; k < 4; ++k) {
            if (pending < 5) {
                bits = (bits << 8) | digest[next++];
                pending += 8;
            }
            pending -= 5;
            text += kAlphabet[(bits >> pending) & 31];
        }
    }
    return text;
}

} // namespace velt
