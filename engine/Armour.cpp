#include "Armour.h"

#include "Errors.h"
#include "ProgressTicker.h"
#include "Texts.h"

#include <array>
#include <cstdint>

namespace velt::armour {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

constexpr std::int8_t kSkip = -1;  // blank, tab, line feed: read past
constexpr std::int8_t kOther = -2; // anything else: reading stops

constexpr std::array<std::int8_t, 256> MakeDigitTable() {
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
    return table;
}
constexpr std::array<std::int8_t, 256> kDigit = MakeDigitTable();

// Bytes in the UTF-8 character starting at `at`. Stray or cut-off bytes count as one
// character each, so a damaged body is still walked in bounded steps.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC0 && lead < 0xF8) {
        const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        while (length <= extra && at + length < text.size() &&
               (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
            ++length;
        }
    }
    return length;
}

} // namespace

std::string Pack(std::string_view pairText, IProgress& progress) {
    const auto caption = Text(TextId::PackingCaption, 0).value_or(std::string_view{});
    ProgressTicker ticker(progress, static_cast<std::int64_t>(pairText.size()), caption);
    std::string armoured;
    armoured.resize(2 * kMarker.size() + 2 * pairText.size());
    char* out = armoured.data();
    out += kMarker.copy(out, kMarker.size());
    for (std::size_t i = 0; i < pairText.size(); ++i) {
        ticker.Tick(static_cast<std::int64_t>(i + 1));
        const auto code = static_cast<unsigned char>(pairText[i]);
        *out++ = kUpperDigits[code >> 4];
        *out++ = kUpperDigits[code & 0x0F];
    }
    kMarker.copy(out, kMarker.size());
    return armoured;
}

std::optional<std::string> Unpack(std::string_view text) {
    const std::size_t open = text.find(kMarker);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view body = text.substr(open + kMarker.size());
    body = body.substr(0, body.find(kMarker));

    std::string pairText;
    pairText.reserve(body.size() / 2);
    std::size_t at = 0;
    while (at < body.size()) {
        // One code from the next two characters: skip blanks, read digits, stop at
        // anything else; both characters are used up either way.
        int value = 0;
        bool reading = true;
        for (int i = 0; i < 2; ++i) {
            if (at >= body.size()) {
                throw VeltError(ErrorKind::OddCodedText, "the coded text has an odd number of digits");
            }
            const std::int8_t digit = kDigit[static_cast<unsigned char>(body[at])];
            if (reading && digit >= 0) {
                value = value * 16 + digit;
            } else if (digit != kSkip) {
                reading = false;
            }
            at += CharacterLength(body, at);
        }
        pairText += static_cast<char>(value);
    }
    return pairText;
}

} // namespace velt::armour
