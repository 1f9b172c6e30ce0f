#include "Armour.h"

#include "Errors.h"
#include "ProgressTicker.h"
#include "Texts.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velt::armour {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr std::size_t kPackPiece = 64 * 1024; // codes per piece handed to a sink

// Byte classes of the body: 0..15 a digit, or one of these.
constexpr std::int8_t kSkip = -1;  // blank, tab, line break: dropped before pairing (a mail program's)
constexpr std::int8_t kOther = -2; // anything else: reading stops
constexpr std::int8_t kQuote = -3; // may be half of a marker

constexpr std::array<std::int8_t, 256> MakeClassTable() {
    std::array<std::int8_t, 256> table{};
    table.fill(kOther);
    for (int c = '0'; c <= '9'; ++c) {
        table[c] = static_cast<std::int8_t>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        table[c] = static_cast<std::int8_t>(c - 'A' + 10);
        table[c - 'A' + 'a'] = static_cast<std::int8_t>(c - 'A' + 10);
    }
    table[' '] = kSkip;
    table['\t'] = kSkip;
    table['\n'] = kSkip;
    table['\r'] = kSkip;
    table['"'] = kQuote;
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
    const auto caption = Text(TextId::PackingCaption, 0).value_or(std::string_view{});
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

std::optional<std::string> Unpack(std::string_view text) {
    Unpacker unpacker;
    const std::size_t open = text.find(kMarker);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    unpacker.Feed(text.substr(open));
    return unpacker.Finish();
}

void Unpacker::Feed(std::string_view piece) {
    std::size_t at = 0;
    while (at < piece.size() && m_stage != Stage::Done) {
        if (m_stage == Stage::Seeking) {
            if (m_pendingQuote) {
                m_pendingQuote = false;
                if (piece[at] == '"') {
                    m_stage = Stage::Body;
                    ++at;
                    if (m_pairText.capacity() < (piece.size() - at) / 2) {
                        m_pairText.reserve((piece.size() - at) / 2);
                    }
                    continue;
                }
            }
            // Only a quotation mark can start the marker; jump to the next one.
            const void* quote = std::memchr(piece.data() + at, '"', piece.size() - at);
            if (quote == nullptr) {
                return;
            }
            at = static_cast<std::size_t>(static_cast<const char*>(quote) - piece.data()) + 1;
            m_pendingQuote = true;
            continue;
        }
        if (!m_pendingQuote && !m_secondOfPair && m_continuationLeft == 0) {
            at = ReadDigitPairs(piece, at);
            if (at >= piece.size()) {
                return;
            }
        }
        const auto byte = static_cast<unsigned char>(piece[at++]);
        if (m_continuationLeft > 0 && (byte & 0xC0) == 0x80) {
            --m_continuationLeft; // still the same character beyond ASCII
            continue;
        }
        m_continuationLeft = 0;
        if (byte >= 0xC0 && byte < 0xF8) {
            m_continuationLeft = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        }
        const std::int8_t kind = kClass[byte];
        if (kind == kSkip) {
            // A packer never writes one: a mail program wrapped the body. Dropped before pairing.
            if (m_pendingQuote) {
                m_pendingQuote = false;
                Character(kOther);
            }
            continue;
        }
        if (kind == kQuote) {
            if (m_pendingQuote) {
                m_pendingQuote = false;
                m_stage = Stage::Done;
                return;
            }
            m_pendingQuote = true;
            continue;
        }
        if (m_pendingQuote) {
            // A lone quotation mark inside the body is just another character.
            m_pendingQuote = false;
            Character(kOther);
        }
        Character(kind);
    }
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
    const std::size_t start = m_pairText.size();
    m_pairText.resize(start + (end - at) / 2);
    char* out = m_pairText.data() + start;
    for (; at < end; at += 2) {
        *out++ = static_cast<char>(digit(at) * 16 + digit(at + 1));
    }
    return at;
}

void Unpacker::Character(std::int8_t kind) {
    if (m_reading && kind >= 0) {
        m_value = m_value * 16 + kind;
    } else {
        m_reading = false;
    }
    if (m_secondOfPair) {
        m_pairText += static_cast<char>(m_value);
        m_value = 0;
        m_reading = true;
    }
    m_secondOfPair = !m_secondOfPair;
}

std::optional<std::string> Unpacker::Finish() {
    if (m_stage == Stage::Seeking) {
        return std::nullopt;
    }
    if (m_stage == Stage::Body && m_pendingQuote) {
        m_pendingQuote = false;
        Character(kOther);
    }
    if (m_secondOfPair) {
        throw VeltError(ErrorKind::OddCodedText, "the coded text has an odd number of digits");
    }
    m_stage = Stage::Done;
    return std::move(m_pairText);
}

} // namespace velt::armour
