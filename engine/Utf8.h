#pragma once
// The one place that knows how UTF-8 spells a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace velt::utf8 {

/// Stands for anything malformed.
inline constexpr char32_t kReplacement = 0xFFFD;

/// Whether `byte` continues a character rather than starting one.
constexpr bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

/// How many bytes a character whose first byte is `lead` takes (1 for a stray byte).
constexpr std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 1;
}

/// Decodes one character at `at`, advancing past it; kReplacement for anything malformed
/// (overlong forms, surrogates, values above U+10FFFF, cut-off sequences).
char32_t Next(std::string_view text, std::size_t& at);

/// Appends `c` spelled in UTF-8.
void Append(std::string& out, char32_t c);

/// The largest cut at or before `at` that does not split a character.
std::size_t CharacterStart(std::string_view text, std::size_t at);

} // namespace velt::utf8
