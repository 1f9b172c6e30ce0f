#pragma once

#include "engine/Language.h"
#include "engine/Platform.h"

#include <optional>
#include <string>

namespace velt {

inline constexpr const char* kDefaultKeyFileName = "KEY.ORB";

/// The windows whose place is remembered between runs.
enum class PlacedWindow { Main, Clipboard };

/// A window's place in pixels: its inner rectangle, frame left out.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowPlace&) const = default;
};

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

    /// The place `window` had when last closed; nullopt when absent or not four numbers with a
    /// positive size.
    std::optional<WindowPlace> Place(PlacedWindow window) const;
    void SavePlace(PlacedWindow window, const WindowPlace& place);

private:
    ISettingsStore& m_store;
};

} // namespace velt
