#pragma once
// The coded text file: the cover image with an armoured coded text spliced into it,
// as the editor saves it and the file window reads it back.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velt {

inline constexpr std::size_t kCoverHead = 2218;   ///< cover bytes before the text
inline constexpr std::size_t kCoverTail = 118686; ///< cover bytes after the text
inline constexpr std::string_view kCodedTextFilePrefix = "SelTextC_";

/// True when a file title (name without folder) names a coded text file: longer
/// than the prefix "SelTextC_" and starting with it, letter case counting.
bool HasCodedTextFileName(std::string_view fileTitle);

/// The coded text inside `storedText` (a file's text as LoadFileText left it, the
/// trailing CR LF dropped), or nullopt when the file is not a coded text file: a
/// title without the prefix, or a text starting with the bytes 0x99 0x99. A text
/// shorter than the cover image is returned whole.
std::optional<std::string> CodedTextOf(std::string_view fileTitle, std::string_view storedText);

/// The bytes of a coded text file holding `codedText`: cover head, text, cover tail, CR LF.
std::string ComposeCodedTextFile(std::string_view codedText);

} // namespace velt
