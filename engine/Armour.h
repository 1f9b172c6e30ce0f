#pragma once
// The armoured coded text: a pair text written as hexadecimal digits between two
// markers, so that it survives mail and the clipboard.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velt {

class IProgress;

namespace armour {

/// Two adjacent quotation marks; anywhere in a text they count as a marker.
inline constexpr std::string_view kMarker = "\"\"";

/// The armoured text of `pairText` (single-byte codes): marker, two upper-case
/// hexadecimal digits per code, marker. Shows the packing caption on `progress`; throws
/// WorkCancelled when the user stops it there.
std::string Pack(std::string_view pairText, IProgress& progress);

/// Appends the body of the armoured text of `pairText`: two upper-case hexadecimal digits per
/// code, so that marker, bodies of consecutive pieces and marker make one armoured text.
void AppendBody(std::string_view pairText, std::string& out);

/// Pack() handed to `sink` in pieces of bounded size, for output too large to hold twice.
void PackTo(std::string_view pairText, IProgress& progress,
            const std::function<void(std::string_view)>& sink);

/// True when `text` holds a marker: two quotation marks with nothing but blanks, tabs, line
/// breaks and a reply's quote prefixes (">" at the start of a line) between them, as a mail
/// program may fold a marker.
bool HasMarker(std::string_view text);
/// HasMarker() over a text in UTF-16, as the windows hold it.
bool HasMarker(std::u16string_view text);

/// The pair text of the armoured coded text inside `text` (UTF-8; anything before
/// the first marker and after the closing one is ignored), or nullopt when the text
/// holds no marker. Transport noise in the body is dropped before the digits are paired:
/// blanks, tabs and line breaks (a mail program wraps long lines) and the ">" prefixes
/// that quote a reply at the start of a line. Throws VeltError: StrayInCodedText for any
/// other character that is no hexadecimal digit, UnclosedCodedText when the closing
/// marker is missing, OddCodedText for an odd number of digits.
std::optional<std::string> Unpack(std::string_view text);

/// Unpack() over a text that arrives in pieces (split anywhere, even inside a
/// marker or a character), so a large input need not be held whole.
class Unpacker final {
public:
    /// Throws VeltError(StrayInCodedText) as soon as the body holds a character it may not.
    void Feed(std::string_view piece);
    /// True once the closing marker has been read; later pieces are ignored.
    bool Done() const { return m_stage == Stage::Done; }
    /// The pair text read so far and not yet taken, handed over; reading goes on, so a
    /// large body need not be held whole.
    std::string TakePairText() { return std::exchange(m_pairText, std::string()); }
    /// The result of Unpack() for everything fed so far (less what was taken); the unpacker is used up.
    std::optional<std::string> Finish();

private:
    enum class Stage { Seeking, Body, Done };
    /// Between the two quotation marks of a possible marker.
    enum class Gap { None, Open, LineStart };
    void BodyCharacter(std::string_view piece, std::size_t at);
    std::size_t ReadDigitPairs(std::string_view piece, std::size_t at);

    Stage m_stage = Stage::Seeking;
    Gap m_gap = Gap::None;
    bool m_lineStart = false;    // in the body, at the start of a line: quote prefixes may follow
    bool m_fresh = false;        // in the body, no digit read yet
    bool m_secondOfPair = false; // the next digit is the second of its code
    int m_value = 0;
    std::string m_pairText;
};

} // namespace armour
} // namespace velt
