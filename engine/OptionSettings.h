#pragma once

#include "engine/Language.h"
#include "engine/Platform.h"

#include <string>

namespace velt {

inline constexpr const char* kDefaultKeyFileName = "KEY.ORB";

/// The settings of section Option, typed: the one place that knows their keys (spelled as
/// stored) and their defaults.
class OptionSettings final {
public:
    explicit OptionSettings(ISettingsStore& store) : m_store(store) {}

    /// `lang` read as a number: 1 is Hungarian; absent, 0 and anything else English.
    Language StoredLanguage() const;
    /// `lang` as the language's index ("0" or "1").
    void SaveLanguage(Language language);

    /// `key`, the key file name; empty when absent.
    std::string KeyFileName() const;
    /// `key` and `keyLenght` of the key in use.
    void SaveKey(const std::string& fileName, int length);
    /// `key` and `keyLenght` of the key that stands in when no other is used.
    void SaveDefaultKey();

private:
    ISettingsStore& m_store;
};

} // namespace velt
