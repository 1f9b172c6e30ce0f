#pragma once
// A key file's fingerprint: short enough for two correspondents to read to each other by phone.

#include <cstdint>
#include <span>
#include <string>

namespace velt {

/// The first 80 bits of the SHA-256 digest of `keyFileBytes`, as four groups of four characters
/// from an alphabet without 0, O, 1 and I ("7KQ2-M9XD-4HTP-WZ3C").
std::string KeyFingerprint(std::span<const std::uint8_t> keyFileBytes);

} // namespace velt
