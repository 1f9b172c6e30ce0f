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

/// The key length a key file holds, by the key store's rounding of its size. Throws
/// VeltError (NotRegularFile, KeyTooLong, KeyOutOfRange below 100 positions); a missing
/// file is left for loading to report.
std::int16_t KeyLengthOf(const std::filesystem::path& keyFile);

} // namespace velt::cli
