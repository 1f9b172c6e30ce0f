#pragma once
// The armoured coded text: a pair text written as hexadecimal digits between two
// markers, so that it survives mail and the clipboard.

#include <optional>
#include <string>
#include <string_view>

namespace velt {

class IProgress;

namespace armour {

/// Two adjacent quotation marks; anywhere in a text they count as a marker.
inline constexpr std::string_view kMarker = "\"\"";

/// The armoured text of `pairText` (single-byte codes): marker, two upper-case
/// hexadecimal digits per code, marker. Shows the packing caption on `progress`.
std::string Pack(std::string_view pairText, IProgress& progress);

/// The pair text of the armoured coded text inside `text` (UTF-8; anything before
/// the first marker and after the closing one is ignored), or nullopt when the text
/// holds no marker. Throws VeltError(OddCodedText) when the body has an odd number
/// of characters.
std::optional<std::string> Unpack(std::string_view text);

} // namespace armour
} // namespace velt
