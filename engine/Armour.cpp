#include "engine/Armour.h"

#include "engine/Errors.h"
#include "engine/ProgressTicker.h"
#include "engine/Texts.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velt::armour {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr std::size_t kPackPiece = 64 * 1024; // codes per piece handed to a sink

// The value of each hexadecimal digit; -1 for any other byte.
constexpr std::array<std::int8_t, 256> MakeClassTable() {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c) {
        table[c] = static_cast<std::int8_t>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        table[c] = static_cast<std::int8_t>(c - 'A' + 10);
        table[c - 'A' + 'a'] = static_cast<std::int8_t>(c - 'A' + 10);
    }
    return table;
}
constexpr std::array<std::int8_t, 256> kClass = MakeClassTable();

} // namespace

void AppendBody(std::string_view pairText, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + 2 * pairText.size());
    char* digits = out.data() + start;
    for (const char c : pairText) {
        const auto code = static_cast<unsigned char>(c);
        *digits++ = kUpperDigits[code >> 4];
        *digits++ = kUpperDigits[code & 0x0F];
    }
}

void PackTo(std::string_view pairText, IProgress& progress,
            const std::function<void(std::string_view)>& sink) {
    // The packing caption reads the same in both languages.
    const auto caption = Text(TextId::PackingCaption, Language::English).value_or(std::string_view{});
    const auto size = static_cast<std::int64_t>(pairText.size());
    ProgressTicker ticker(progress, size, caption, Stoppable::Yes);
    sink(kMarker);
    std::string piece;
    piece.reserve(2 * kPackPiece);
    for (std::int64_t start = 0; start < size;) {
        // Runs end where the wait window is due to hear of the next code.
        const std::int64_t count = ticker.Run(start + 1, std::min<std::int64_t>(size - start, kPackPiece));
        piece.clear();
        AppendBody(pairText.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)), piece);
        sink(piece);
        start += count;
    }
    sink(kMarker);
}

std::string Pack(std::string_view pairText, IProgress& progress) {
    std::string armoured;
    armoured.reserve(2 * kMarker.size() + 2 * pairText.size());
    PackTo(pairText, progress, [&armoured](std::string_view piece) { armoured += piece; });
    return armoured;
}

namespace {

enum class GapStep { Continue, Closed, Broken };

/// One character between the quotation marks of a possible marker: blanks and tabs, line
/// breaks and, at the start of a line, a reply's ">" may stand there.
template <typename Char> GapStep StepGap(Char c, bool& lineStart) {
    switch (c) {
    case '"':
        return GapStep::Closed;
    case ' ':
    case '\t':
        return GapStep::Continue;
    case '\r':
    case '\n':
        lineStart = true;
        return GapStep::Continue;
    case '>':
        return lineStart ? GapStep::Continue : GapStep::Broken;
    default:
        return GapStep::Broken;
    }
}

/// The character that starts at `at` (UTF-8), for telling the user which one is wrong.
char32_t CharacterAt(std::string_view text, std::size_t at) {
    return utf8::Next(text, at);
}

[[noreturn]] void ThrowStray(char32_t c) {
    throw VeltError(ErrorKind::StrayInCodedText, "the coded text holds a character that is no hexadecimal digit", 0,
                    c);
}

/// Where the gap of a possible marker that begins with the quotation mark at `quote` ends: at
/// the closing quotation mark, at the character that breaks it, or at the text's end.
template <typename Char> std::pair<GapStep, std::size_t> GapEnd(std::basic_string_view<Char> text, std::size_t quote) {
    bool lineStart = false;
    for (std::size_t at = quote + 1; at < text.size(); ++at) {
        const GapStep step = StepGap(text[at], lineStart);
        if (step != GapStep::Continue) {
            return {step, at};
        }
    }
    return {GapStep::Continue, text.size()};
}

template <typename Char> bool IsDigit(Char c) {
    return static_cast<std::uint32_t>(c) < 256 && kClass[static_cast<std::uint32_t>(c)] >= 0;
}

/// Unpacker's reading, reduced to whether it finds a marker: a marker counts only where a coded
/// text follows it (a digit, or a quotation mark before any other character), so that quoted
/// words such as `"yes" "no"` in a plain text are no marker.
template <typename Char> bool FindMarker(std::basic_string_view<Char> text) {
    std::size_t from = 0;
    for (std::size_t quote = text.find(Char('"'), from); quote != text.npos; quote = text.find(Char('"'), from)) {
        const auto [step, close] = GapEnd(text, quote);
        if (step != GapStep::Closed) {
            if (step == GapStep::Continue) {
                return false; // the text ends inside a possible marker
            }
            from = quote + 1;
            continue;
        }
        bool lineStart = false;
        std::size_t at = close + 1;
        while (at < text.size()) {
            const Char c = text[at];
            if (IsDigit(c)) {
                return true;
            }
            if (c == Char('"')) {
                const auto [next, end] = GapEnd(text, at);
                if (next != GapStep::Broken) {
                    return true; // closed, an empty coded text, or cut off: a coded text either way
                }
                at = end; // completes the opening marker with the one before; read on from the break
                continue;
            }
            if (c == Char('\r') || c == Char('\n')) {
                lineStart = true;
            } else if (!(c == Char(' ') || c == Char('\t') || (c == Char('>') && lineStart))) {
                break;
            }
            ++at;
        }
        if (at >= text.size()) {
            return true; // opened and never closed: a damaged coded text
        }
        from = at; // no digit after it: that was no marker
    }
    return false;
}

} // namespace

bool HasMarker(std::string_view text) {
    return FindMarker(text);
}

bool HasMarker(std::u16string_view text) {
    return FindMarker(text);
}

std::optional<std::string> Unpack(std::string_view text) {
    Unpacker unpacker;
    unpacker.Feed(text);
    return unpacker.Finish();
}

void Unpacker::Feed(std::string_view piece) {
    std::size_t at = 0;
    while (at < piece.size() && m_stage != Stage::Done) {
        if (m_gap != Gap::None) {
            bool lineStart = m_gap == Gap::LineStart;
            const GapStep step = StepGap(piece[at], lineStart);
            if (step == GapStep::Broken) {
                m_gap = Gap::None;
                // Before the first digit, the quotation mark completes the opening marker with the
                // one before it, as in `He wrote "hi" ""3F...`; later, it stands alone in the body.
                if (m_stage == Stage::Body && !m_fresh) {
                    ThrowStray(U'"');
                }
                continue; // the character is read afresh: it may begin a marker or the body
            }
            ++at;
            if (step == GapStep::Continue) {
                m_gap = lineStart ? Gap::LineStart : Gap::Open;
                continue;
            }
            m_gap = Gap::None;
            if (m_stage == Stage::Body) {
                m_stage = Stage::Done;
                return;
            }
            m_stage = Stage::Body;
            m_lineStart = false;
            m_fresh = true;
            if (m_pairText.capacity() < (piece.size() - at) / 2) {
                m_pairText.reserve((piece.size() - at) / 2);
            }
            continue;
        }
        if (m_stage == Stage::Seeking) {
            // Only a quotation mark can start the marker; jump to the next one.
            const void* quote = std::memchr(piece.data() + at, '"', piece.size() - at);
            if (quote == nullptr) {
                return;
            }
            at = static_cast<std::size_t>(static_cast<const char*>(quote) - piece.data()) + 1;
            m_gap = Gap::Open;
            continue;
        }
        if (!m_secondOfPair) {
            at = ReadDigitPairs(piece, at);
            if (at >= piece.size()) {
                return;
            }
        }
        BodyCharacter(piece, at++);
    }
}

void Unpacker::BodyCharacter(std::string_view piece, std::size_t at) {
    const char c = piece[at];
    const std::int8_t digit = kClass[static_cast<unsigned char>(c)];
    if (digit >= 0) {
        m_lineStart = false;
        m_fresh = false;
        m_value = m_value * 16 + digit;
        if (m_secondOfPair) {
            m_pairText += static_cast<char>(m_value);
            m_value = 0;
        }
        m_secondOfPair = !m_secondOfPair;
        return;
    }
    switch (c) {
    case ' ':
    case '\t':
        return; // a packer writes none: a mail program's
    case '\r':
    case '\n':
        m_lineStart = true;
        return;
    case '>':
        if (m_lineStart) {
            return; // a reply quotes the line
        }
        break;
    case '"':
        m_gap = Gap::Open;
        return;
    default:
        break;
    }
    if (m_fresh) {
        // No digit after it: that was no marker but quoted words of a plain text, as `"yes" "no"`.
        m_stage = Stage::Seeking;
        m_fresh = false;
        return;
    }
    ThrowStray(CharacterAt(piece, at));
}

std::size_t Unpacker::ReadDigitPairs(std::string_view piece, std::size_t at) {
    // The common case, two plain digits per code, without the general per-character steps.
    // The run is measured first so the output grows by exactly its length.
    auto digit = [&piece](std::size_t i) { return kClass[static_cast<unsigned char>(piece[i])]; };
    std::size_t end = at;
    while (end + 1 < piece.size() && digit(end) >= 0 && digit(end + 1) >= 0) {
        end += 2;
    }
    if (end == at) {
        return at;
    }
    m_lineStart = false;
    m_fresh = false;
    const std::size_t start = m_pairText.size();
    m_pairText.resize(start + (end - at) / 2);
    char* out = m_pairText.data() + start;
    for (; at < end; at += 2) {
        *out++ = static_cast<char>(digit(at) * 16 + digit(at + 1));
    }
    return at;
}

std::optional<std::string> Unpacker::Finish() {
    if (m_stage == Stage::Seeking) {
        return std::nullopt;
    }
    if (m_stage == Stage::Body) {
        // Decoded to the end of the mail, the signature would come out as junk.
        throw VeltError(ErrorKind::UnclosedCodedText, "the coded text has no closing marker");
    }
    if (m_secondOfPair) {
        throw VeltError(ErrorKind::OddCodedText, "the coded text has an odd number of digits");
    }
    return std::move(m_pairText);
}

} // namespace velt::armour
