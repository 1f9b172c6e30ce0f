#include "engine/OptionSettings.h"

#include "engine/KeyMaterial.h"

#include <array>
#include <charconv>
#include <string_view>

namespace velt {
namespace {

constexpr const char* kLanguageKey = "lang";
constexpr const char* kKeyFileKey = "key";
constexpr const char* kKeyLengthKey = "keyLenght";
constexpr const char* kMainPlaceKey = "mainWindow";
constexpr const char* kClipboardPlaceKey = "clipboardWindow";

const char* PlaceKey(PlacedWindow window) {
    return window == PlacedWindow::Main ? kMainPlaceKey : kClipboardPlaceKey;
}

/// True for a decimal 1, blanks around it, a plus sign and leading zeros allowed.
bool ReadsAsOne(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return false;
    }
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    const std::size_t one = text.find_first_not_of('0');
    return one != std::string_view::npos && text.substr(one) == "1";
}

} // namespace

Language OptionSettings::StoredLanguage() const {
    const auto stored = m_store.Read(kLanguageKey);
    return stored && ReadsAsOne(*stored) ? Language::Hungarian : Language::English;
}

void OptionSettings::SaveLanguage(Language language) {
    m_store.Write(kLanguageKey, std::to_string(static_cast<int>(language)));
}

std::string OptionSettings::KeyFileName() const {
    return m_store.Read(kKeyFileKey).value_or("");
}

void OptionSettings::SaveKey(const std::string& fileName, int length) {
    m_store.Write(kKeyFileKey, fileName);
    m_store.Write(kKeyLengthKey, std::to_string(length));
}

void OptionSettings::SaveDefaultKey() {
    SaveKey(kDefaultKeyFileName, kDefaultKeyLength);
}

std::optional<WindowPlace> OptionSettings::Place(PlacedWindow window) const {
    const std::optional<std::string> stored = m_store.Read(PlaceKey(window));
    if (!stored) {
        return std::nullopt;
    }
    // "x,y,width,height"
    std::array<int, 4> numbers{};
    const char* at = stored->data();
    const char* const end = at + stored->size();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0 && (at == end || *at++ != ',')) {
            return std::nullopt;
        }
        const auto [next, error] = std::from_chars(at, end, numbers[i]);
        if (error != std::errc()) {
            return std::nullopt;
        }
        at = next;
    }
    if (at != end || numbers[2] <= 0 || numbers[3] <= 0) {
        return std::nullopt;
    }
    return WindowPlace{numbers[0], numbers[1], numbers[2], numbers[3]};
}

void OptionSettings::SavePlace(PlacedWindow window, const WindowPlace& place) {
    m_store.Write(PlaceKey(window), std::to_string(place.x) + ',' + std::to_string(place.y) + ',' +
                                        std::to_string(place.width) + ',' + std::to_string(place.height));
}

} // namespace velt
