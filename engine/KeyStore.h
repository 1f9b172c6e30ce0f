#pragma once

#include "Platform.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace velt {

inline constexpr const char* kDefaultKeyFileName = "KEY.ORB";
inline constexpr const char* kSettingKey = "key";             ///< the key file name
inline constexpr const char* kSettingKeyLength = "keyLenght"; ///< spelled as stored

/// The key store's part of the process-wide state.
struct KeyStoreFields {
    std::string& keyFileName;
    std::int16_t& keyLength;
    bool& keyPresent;
};

/// The key length of a file of `fileSize` bytes: round(size / 258), halves to the even neighbour.
long long KeyLengthOfSize(std::uintmax_t fileSize);

/// The quotient size / 258 as the length label shows it: up to 15 significant
/// digits, no trailing zeros ("366", "366.003875968992").
std::string LengthLabelText(std::uintmax_t fileSize);

/// Finds the key file in `folder`, measures the key length from its size and shows
/// both on the key indicators. "KEY.ORB" must exist for any key to be used; every
/// failure, a damaged or out-of-range key file included, takes the fallback to
/// "KEY.ORB" of 366 positions with the key-file box unchecked.
void OpenKeyStore(const std::filesystem::path& folder, ISettingsStore& settings, IKeyIndicators& indicators,
                  KeyStoreFields fields);

} // namespace velt
