#include "engine/KeyStore.h"

#include "engine/Fingerprint.h"
#include "engine/KeyFile.h"
#include "engine/KeyMaterial.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace velt {
namespace {

/// A name the settings may hold that stays inside the program's folder.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

/// The fallback to "KEY.ORB" of 366 positions, unchecked and without a fingerprint.
/// Returns `why`, with any further failure of the fallback itself added.
std::string Fallback(OptionSettings& settings, IKeyIndicators& indicators, KeyStoreFields& fields, std::string why) {
    fields.keyFileName = kDefaultKeyFileName;
    fields.keyLength = kDefaultKeyLength;
    fields.keyFileRecords = 0;
    fields.keyFingerprint.clear();
    // Start-up goes on whatever the settings store or the window does; the caller hears of it.
    const auto attempt = [&why](const char* step, auto&& action) {
        try {
            action();
        } catch (const std::exception& error) {
            why += std::string("; ") + step + ": " + error.what();
        } catch (...) {
            why += std::string("; ") + step + " failed";
        }
    };
    attempt("saving the default key", [&] { settings.SaveDefaultKey(); });
    attempt("showing the fallback", [&] {
        indicators.SetKeyFileChecked(false);
        indicators.ShowFingerprint({});
    });
    return why;
}

} // namespace

std::string OpenKeyStore(const std::filesystem::path& folder, ISettingsStore& store, IKeyIndicators& indicators,
                         KeyStoreFields fields, bool safe) {
    OptionSettings settings(store);
    try {
        if (!safe) {
            throw std::runtime_error("another user could swap the key");
        }
        // The default key file must be there and openable, whichever key is in use.
        const auto defaultFile = folder / kDefaultKeyFileName;
        if (!IsFile(defaultFile) || !std::ifstream(defaultFile, std::ios::binary).is_open()) {
            throw std::runtime_error("no default key file");
        }
        fields.keyFileName = settings.KeyFileName();
        if (!IsPlainFileName(fields.keyFileName) || !IsFile(folder / fields.keyFileName)) {
            fields.keyFileName = kDefaultKeyFileName;
            settings.SaveDefaultKey();
            fields.keyLength = kDefaultKeyLength;
        }
        indicators.ShowKeyFileName(fields.keyFileName);
        const WholeKey whole = ReadWholeKey(folder / fields.keyFileName, fields.keyFileName);
        if (!indicators.ShowKeyLength(whole.records)) {
            throw std::runtime_error("key length outside the slider's range");
        }
        indicators.SetLengthLabel(std::to_string(whole.records));
        fields.keyLength = static_cast<std::int16_t>(whole.records);
        fields.keyFileRecords = whole.records;
        fields.keyFingerprint = KeyFingerprint(whole.bytes);
        indicators.ShowFingerprint(fields.keyFingerprint);
        indicators.SetKeyFileChecked(true);
        fields.keyPresent = true;
        return {};
    } catch (const std::exception& error) {
        return Fallback(settings, indicators, fields, error.what());
    } catch (...) {
        return Fallback(settings, indicators, fields, "unknown failure");
    }
}

} // namespace velt
