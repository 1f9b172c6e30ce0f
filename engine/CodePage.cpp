#include "engine/CodePage.h"

#include "engine/Errors.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace velt::codepage {
namespace {

// Codes 0x80..0xFF. The five codes Windows-1250 leaves undefined stand for the C1
// control character of the same number, which keeps the table one-to-one.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

using Mapping = std::pair<char32_t, std::uint8_t>;

constexpr std::array<Mapping, 128> SortedByCharacter() {
    std::array<Mapping, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = {kHighHalf[i], static_cast<std::uint8_t>(0x80 + i)};
    }
    std::sort(table.begin(), table.end());
    return table;
}

constexpr std::array<Mapping, 128> kReverse = SortedByCharacter();

constexpr bool OneToOne() {
    for (std::size_t i = 0; i + 1 < kReverse.size(); ++i) {
        if (kReverse[i].first == kReverse[i + 1].first || kReverse[i].first < 0x80) {
            return false;
        }
    }
    return kReverse.front().first >= 0x80;
}
static_assert(OneToOne(), "the high half must not repeat a character or reuse an ASCII one");

[[noreturn]] void Refuse(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    throw VeltError(ErrorKind::UncodableCharacter, std::string("the character ") + name + " has no code", 0,
                    character);
}

} // namespace

char32_t CharOf(std::uint8_t code) {
    return code < 0x80 ? code : kHighHalf[code - 0x80];
}

std::optional<std::uint8_t> CodeOf(char32_t character) {
    if (character < 0x80) {
        return static_cast<std::uint8_t>(character);
    }
    const auto* found =
        std::lower_bound(kReverse.begin(), kReverse.end(), Mapping{character, 0},
                         [](const Mapping& a, const Mapping& b) { return a.first < b.first; });
    if (found == kReverse.end() || found->first != character) {
        return std::nullopt;
    }
    return found->second;
}

std::string FromUtf8(std::string_view utf8) {
    std::string codes;
    codes.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte < 0x80) {
            codes += static_cast<char>(byte);
            ++at;
            continue;
        }
        const char32_t character = utf8::Next(utf8, at);
        const auto code = character == utf8::kReplacement ? std::nullopt : CodeOf(character);
        if (!code) {
            Refuse(character);
        }
        codes += static_cast<char>(*code);
    }
    return codes;
}

std::size_t WholeCharacters(std::string_view utf8) {
    // Look back over at most three continuation bytes for the lead byte of the last character.
    const std::size_t size = utf8.size();
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(utf8[size - back]);
        if (utf8::IsContinuation(static_cast<char>(byte))) {
            continue;
        }
        const std::size_t needs = utf8::SequenceLength(static_cast<char>(byte));
        return needs > back ? size - back : size;
    }
    return size; // no lead byte: malformed either way, and refused as it stands
}

std::string ToUtf8(std::string_view codes) {
    std::string utf8;
    utf8.reserve(codes.size() + codes.size() / 8);
    for (const char c : codes) {
        const auto code = static_cast<std::uint8_t>(c);
        if (code < 0x80) {
            utf8 += c;
        } else {
            utf8::Append(utf8, kHighHalf[code - 0x80]);
        }
    }
    return utf8;
}

} // namespace velt::codepage
