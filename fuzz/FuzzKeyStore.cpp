// The key store at start-up: whatever the settings hold and whatever files lie in the folder,
// it either takes a key file of the folder that is 100 to 10000 whole sound records, or falls
// back to KEY.ORB of 366 positions with the box unchecked and the defaults saved; it never
// throws, also when the settings store fails.
#include "engine/KeyMaterial.h"
#include "engine/KeyStore.h"
#include "engine/SystemServices.h"
#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

using namespace velt;

namespace {

/// Records what the main window would show.
struct Indicators final : IKeyIndicators {
    void ShowKeyFileName(const std::string& name) override { shown = name; }
    bool ShowKeyLength(int length) override { return length >= kMinKeyLength && length <= kKeyCapacity; }
    void SetLengthLabel(const std::string& text) override { label = text; }
    void SetKeyFileChecked(bool on) override { checked = on; }
    void ShowFingerprint(const std::string& text) override { fingerprint = text; }
    std::string shown, label, fingerprint;
    bool checked = false;
};

/// Settings that may refuse to be written.
struct Settings final : ISettingsStore {
    std::optional<std::string> Read(const std::string& key) override {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void Write(const std::string& key, const std::string& value) override {
        if (failing) {
            throw std::runtime_error("settings store failed");
        }
        values[key] = value;
    }
    std::map<std::string, std::string> values;
    bool failing = false;
};

bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

/// A key file of `size` bytes: sound records as far as they go, so that its size decides.
void MakeFile(const std::filesystem::path& path, off_t size) {
    static const std::string sound = fuzz::KeyFolder::Records(kKeyCapacity + 1, 11);
    const auto bytes = std::min(static_cast<std::size_t>(size), sound.size());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    VELT_FUZZ_CHECK(fd >= 0 && ::pwrite(fd, sound.data(), bytes, 0) == static_cast<ssize_t>(bytes) &&
                    ::ftruncate(fd, size) == 0);
    ::close(fd);
}

} // namespace

/// Input: flags, the default file's size (3 bytes), the chosen file's size (3 bytes), the length of
/// the `key` setting (1 byte), the setting itself, then `keyLenght`.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::KeyFolder scratch(0);
    if (size < 8) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const auto sizeAt = [&](std::size_t at) { return static_cast<off_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16); };
    const std::size_t nameLength = std::min<std::size_t>(data[7], size - 8);
    const std::string name(reinterpret_cast<const char*>(data + 8), nameLength);
    const std::string length(reinterpret_cast<const char*>(data + 8 + nameLength), size - 8 - nameLength);

    const auto& folder = scratch.folder;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    if ((flags & 1) != 0) {
        MakeFile(folder / kDefaultKeyFileName, sizeAt(1));
    } else if ((flags & 2) != 0) {
        std::filesystem::create_directory(folder / kDefaultKeyFileName); // a folder is no key file
    }
    const bool chosenMade = (flags & 4) != 0 && PlainName(name) && name != kDefaultKeyFileName;
    if (chosenMade) {
        MakeFile(folder / name, sizeAt(4));
    }
    Settings settings;
    if ((flags & 8) != 0) {
        settings.values["key"] = name;
    }
    if ((flags & 16) != 0) {
        settings.values["keyLenght"] = length;
    }
    settings.failing = (flags & 32) != 0;
    const Settings before = settings;

    Indicators indicators;
    std::string keyFileName = "before";
    std::int16_t keyLength = -1;
    bool keyPresent = false;
    std::string keyFingerprint = "before";
    int keyFileRecords = -1;
    OpenKeyStore(folder, settings, indicators, {keyFileName, keyLength, keyPresent, keyFingerprint, keyFileRecords});

    // Worked out from the rules alone.
    const bool defaultThere = (flags & 1) != 0;
    const bool nameTaken = (flags & 8) != 0 && PlainName(name) &&
                           (chosenMade || (name == kDefaultKeyFileName && defaultThere));
    const std::string chosen = nameTaken ? name : kDefaultKeyFileName;
    const off_t chosenSize = chosen == kDefaultKeyFileName ? sizeAt(1) : sizeAt(4);
    const long long positions = chosenSize / kRecordSize;
    const bool defaultsSaved = !nameTaken;
    const bool used = defaultThere && chosenSize % kRecordSize == 0 && positions >= kMinKeyLength &&
                      positions <= kKeyCapacity && !(defaultsSaved && settings.failing);
    if (used) {
        VELT_FUZZ_CHECK(keyFileName == chosen && indicators.shown == chosen);
        VELT_FUZZ_CHECK(keyLength == positions && keyPresent && indicators.checked);
        VELT_FUZZ_CHECK(indicators.label == std::to_string(positions) && keyFileRecords == positions);
        VELT_FUZZ_CHECK(indicators.fingerprint.size() == 19 && indicators.fingerprint == keyFingerprint);
    } else {
        VELT_FUZZ_CHECK(keyFileName == kDefaultKeyFileName && keyLength == kDefaultKeyLength);
        VELT_FUZZ_CHECK(!keyPresent && !indicators.checked && indicators.fingerprint.empty());
    }
    if (defaultsSaved || !used) {
        const auto expected = settings.failing ? before.values
                                               : std::map<std::string, std::string>{
                                                     {"key", kDefaultKeyFileName},
                                                     {"keyLenght", std::to_string(kDefaultKeyLength)}};
        VELT_FUZZ_CHECK(settings.values == expected);
    } else {
        VELT_FUZZ_CHECK(settings.values == before.values); // a key in use leaves the settings alone
    }
    return 0;
}
