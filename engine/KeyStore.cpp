#include "KeyStore.h"

#include "KeyMaterial.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace velt {
namespace {

constexpr double kRecordBytes = 258.0;

/// A name the settings may hold that stays inside the program's folder.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

void SaveDefaults(ISettingsStore& settings) {
    settings.Write(kSettingKey, kDefaultKeyFileName);
    settings.Write(kSettingKeyLength, std::to_string(kDefaultKeyLength));
}

} // namespace

long long KeyLengthOfSize(std::uintmax_t fileSize) {
    const std::uintmax_t quotient = fileSize / kRecordSize;
    const std::uintmax_t twiceRest = 2 * (fileSize % kRecordSize);
    const bool up = twiceRest > kRecordSize || (twiceRest == kRecordSize && quotient % 2 == 1);
    return static_cast<long long>(quotient + (up ? 1 : 0));
}

std::string LengthLabelText(std::uintmax_t fileSize) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", static_cast<double>(fileSize) / kRecordBytes);
    return buffer;
}

void OpenKeyStore(const std::filesystem::path& folder, ISettingsStore& settings, IKeyIndicators& indicators,
                  KeyStoreFields fields) {
    try {
        // The default key file must be there and openable, whichever key is in use.
        const auto defaultFile = folder / kDefaultKeyFileName;
        if (!IsFile(defaultFile) || !std::ifstream(defaultFile, std::ios::binary).is_open()) {
            throw std::runtime_error("no default key file");
        }
        fields.keyFileName = settings.Read(kSettingKey).value_or("");
        if (!IsPlainFileName(fields.keyFileName) || !IsFile(folder / fields.keyFileName)) {
            fields.keyFileName = kDefaultKeyFileName;
            SaveDefaults(settings);
            fields.keyLength = kDefaultKeyLength;
        }
        indicators.ShowKeyFileName(fields.keyFileName);
        const std::uintmax_t size = std::filesystem::file_size(folder / fields.keyFileName);
        const long long rounded = KeyLengthOfSize(size);
        const int sliderValue = rounded > kKeyCapacity ? kKeyCapacity + 1 : static_cast<int>(rounded);
        if (!indicators.SetSliderValue(sliderValue) || sliderValue < 1 || sliderValue > kKeyCapacity) {
            throw std::runtime_error("key length outside the slider's range");
        }
        indicators.SetLengthLabel(LengthLabelText(size));
        fields.keyLength = static_cast<std::int16_t>(sliderValue);
        indicators.SetKeyFileChecked(true);
        fields.keyPresent = true;
    } catch (...) {
        fields.keyFileName = kDefaultKeyFileName;
        fields.keyLength = kDefaultKeyLength;
        // Start-up goes on whatever the settings store or the window does.
        try {
            SaveDefaults(settings);
        } catch (...) {
        }
        try {
            indicators.SetKeyFileChecked(false);
        } catch (...) {
        }
    }
}

} // namespace velt
