#pragma once

#include <cstdint>

namespace velt {

/// The current language: the index of the main window's language selector. Only these two
/// have texts; a choice of text for any other value sets nothing.
enum class Language : std::uint8_t { English = 0, Hungarian = 1 };

/// The language a message speaks when it must speak: `language`, or English for a value
/// without texts.
constexpr Language SpokenLanguage(Language language) {
    return language == Language::Hungarian ? Language::Hungarian : Language::English;
}

} // namespace velt
