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

/// The largest reference file taken.
inline constexpr std::uint64_t kMaxReferenceFileSize = std::uint64_t{1} << 20;

/// The reference text in a file: its whole content (UTF-8) without a final line end, as codes,
/// every line break as CR LF as the windows' reference box gives it. Throws VeltError
/// (FileReadFailed, NotRegularFile, FileTooLarge above 1 MiB, UncodableCharacter).
std::string ReadReference(const std::filesystem::path& file);

/// The key length of a key file: its records, once the whole file has passed the key check
/// that the windows use (ReadWholeKey). Throws VeltError as ReadWholeKey() does.
std::int16_t KeyLengthOf(const std::filesystem::path& keyFile);

} // namespace velt::cli
