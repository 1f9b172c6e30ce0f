#pragma once
// Velt's single-byte code page, Windows-1250 (Central European). All 256 codes map
// to distinct characters: codes the code page leaves undefined map to the control
// character of the same number, so every code converts to a character and back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velt::codepage {

/// The character (Unicode code point) of `code`.
char32_t CharOf(std::uint8_t code);
/// The code of `character`, or nullopt when it has none.
std::optional<std::uint8_t> CodeOf(char32_t character);

/// UTF-8 text to single-byte codes. Throws VeltError(UncodableCharacter) naming the
/// first character without a code (malformed UTF-8 is refused the same way, as U+FFFD).
std::string FromUtf8(std::string_view utf8);
/// The length of the longest start of `utf8` that ends on a whole character, so that a text
/// read in pieces converts as it would whole: at most three bytes of a started character are
/// left for the next piece.
std::size_t WholeCharacters(std::string_view utf8);
/// Single-byte codes to UTF-8 text.
std::string ToUtf8(std::string_view codes);

} // namespace velt::codepage
