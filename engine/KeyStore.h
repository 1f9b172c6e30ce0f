#pragma once

#include "engine/OptionSettings.h"
#include "engine/Platform.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace velt {

/// The key store's part of the process-wide state.
struct KeyStoreFields {
    std::string& keyFileName;
    std::int16_t& keyLength;
    bool& keyPresent;
    std::string& keyFingerprint;
    int& keyFileRecords;
};

/// Finds the key file in `folder`, checks it whole (ReadWholeKey), takes the key length
/// from its records and shows name, length and fingerprint on the key indicators.
/// "KEY.ORB" must exist for any key to be used; every failure, a key file that is not
/// whole sound records included, takes the fallback to "KEY.ORB" of 366 positions with
/// the key-file box unchecked and no fingerprint. A folder that is not `safe` (another user
/// could swap keys in it) always takes the fallback. Returns why the fallback was taken
/// (empty when the key was found whole), for the caller to log.
std::string OpenKeyStore(const std::filesystem::path& folder, ISettingsStore& settings, IKeyIndicators& indicators,
                         KeyStoreFields fields, bool safe = true);

} // namespace velt
