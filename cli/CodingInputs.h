#pragma once
// What every coding command of velt-cli takes in besides its data: the key file and
// the reference text.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace velt::cli {

/// UTF-8 text to codes; a leading byte order mark is dropped. Throws VeltError(UncodableCharacter).
std::string FromUtf8Text(std::string_view utf8);

/// The reference text in a file: its whole content (UTF-8) without a final line end, as codes.
/// Throws VeltError.
std::string ReadReference(const std::filesystem::path& file);

/// The key length a key file holds: its size in whole records, with a cut-off last record
/// counted so that loading names it instead of silently dropping it.
std::int16_t KeyLengthOf(const std::filesystem::path& keyFile);

} // namespace velt::cli
